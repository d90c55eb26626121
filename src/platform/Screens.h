#pragma once

#include "platform/Geometry.h"

#include <optional>
#include <vector>

namespace nimbrel {

// One display. Frames are in AppKit global coordinates: origin at the bottom-left of
// the primary screen, y upwards. The visible frame leaves out the menu bar and the Dock.
struct ScreenInfo {
    int id = 0;
    QString localizedName;
    Rect frame;
    Rect visibleFrame;
    friend bool operator==(const ScreenInfo&, const ScreenInfo&) = default;
};

class Screens {
  public:
    virtual ~Screens() = default;

    // Every screen, the primary (the one whose frame starts at 0,0) first.
    virtual std::vector<ScreenInfo> screens() const = 0;
    // The screen with the key window or the focus; none only when there are no screens.
    virtual std::optional<ScreenInfo> mainScreen() const = 0;

    // The frame height of the primary screen (origin exactly 0,0), else of the main screen,
    // else 0: what turns AppKit y into Accessibility y.
    double primaryScreenHeight() const;
    // AppKit point -> Accessibility point and back (y_ax = primaryHeight - y).
    Point accessibilityPoint(Point appKit) const { return flipPoint(appKit, primaryScreenHeight()); }
    Point appKitPoint(Point accessibility) const { return flipPoint(accessibility, primaryScreenHeight()); }
    // A rectangle's origin is its bottom-left in AppKit and its top-left in Accessibility.
    Rect accessibilityRect(const Rect& appKit) const { return flipRect(appKit, primaryScreenHeight()); }
    Rect appKitRect(const Rect& accessibility) const { return flipRect(accessibility, primaryScreenHeight()); }

    static Point flipPoint(Point p, double primaryHeight) { return {p.x, primaryHeight - p.y}; }
    static Rect flipRect(const Rect& r, double primaryHeight) {
        return Rect(r.origin.x, primaryHeight - r.maxY(), r.width(), r.height());
    }
};

} // namespace nimbrel
