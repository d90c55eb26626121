#pragma once

#include "platform/Geometry.h"

namespace nimbrel {

// How the desktop window fits the simulated Mac's screens, all of them in their arrangement:
// scaled down (never up) to fit the view and centred in it. Desktop points are measured from
// the primary screen's top-left (y down), so a screen left of or above it has negative ones;
// view points from the view's top-left.
class DesktopViewport {
  public:
    DesktopViewport() = default;
    // `desktop` bounds every screen, in desktop points.
    DesktopViewport(const Rect& desktop, double viewWidth, double viewHeight);

    double scale() const { return scale_; }
    // Where the desktop's top-left corner lies in the view.
    Point offset() const { return offset_; }

    Point toDesktop(Point view) const;
    Point toView(Point desktop) const;

    friend bool operator==(const DesktopViewport&, const DesktopViewport&) = default;

  private:
    Rect desktop_;
    double scale_ = 1;
    Point offset_;
};

} // namespace nimbrel
