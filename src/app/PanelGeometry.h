#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

// Which content the panel holds.
enum class PanelMode { Onboarding = 0, Menu = 1 };
QString panelModeName(PanelMode mode);

// A rectangle in the Mac's screen coordinates: origin at the bottom left, y upwards.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    bool operator==(const ScreenRect&) const = default;
};

struct PanelSize {
    double width = 0;
    double height = 0;
};
PanelSize panelSize(PanelMode mode);

// Where the panel goes when shown: centred under the status button with an 8-point gap,
// clamped 8 points inside the visible frame (x first, then y). A panel that is already on
// screen keeps its top edge (`previousTopEdge`), and that y is not clamped again.
ScreenRect panelFrame(PanelMode mode, const ScreenRect& buttonFrame, const std::optional<ScreenRect>& visibleFrame,
                      const std::optional<double>& previousTopEdge);

// The frame a height notice animates to: same x and width, top edge kept. Nothing when the
// change is 0.5 points or less.
std::optional<ScreenRect> panelFrameForHeight(const ScreenRect& current, double height);

} // namespace nimbrel
