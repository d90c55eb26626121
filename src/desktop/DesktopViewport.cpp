#include "desktop/DesktopViewport.h"

#include <algorithm>

namespace nimbrel {

DesktopViewport::DesktopViewport(const Rect& desktop, double viewWidth, double viewHeight) : desktop_(desktop) {
    if (desktop.width() <= 0 || desktop.height() <= 0 || viewWidth <= 0 || viewHeight <= 0) return;
    scale_ = std::min({1.0, viewWidth / desktop.width(), viewHeight / desktop.height()});
    offset_ = {(viewWidth - desktop.width() * scale_) / 2, (viewHeight - desktop.height() * scale_) / 2};
}

Point DesktopViewport::toDesktop(Point view) const {
    return {desktop_.minX() + (view.x - offset_.x) / scale_, desktop_.minY() + (view.y - offset_.y) / scale_};
}

Point DesktopViewport::toView(Point desktop) const {
    return {offset_.x + (desktop.x - desktop_.minX()) * scale_, offset_.y + (desktop.y - desktop_.minY()) * scale_};
}

} // namespace nimbrel
