#include "app/PopoverPlacement.h"

#include <algorithm>

namespace nimbrel {

PopoverPlacement placePopover(const QRectF& control, const QSizeF& size, const QRectF& area, double arrowSize,
                              double margin, double arrowInset) {
    PopoverPlacement p;
    const double width = size.width();
    const double left = area.left() + margin;
    const double right = std::max(left, area.right() - margin - width);
    const double x = std::clamp(control.center().x() - width / 2, left, right);

    const double roomAbove = std::max(0.0, control.top() - arrowSize - (area.top() + margin));
    const double roomBelow = std::max(0.0, area.bottom() - margin - (control.bottom() + arrowSize));
    double height = size.height();
    if (height <= roomAbove) {
        p.arrowOnTop = false;
    } else if (height <= roomBelow) {
        p.arrowOnTop = true;
    } else {
        p.arrowOnTop = roomBelow > roomAbove;
        height = p.arrowOnTop ? roomBelow : roomAbove;
        p.scrolls = true;
    }
    const double y = p.arrowOnTop ? control.bottom() + arrowSize : control.top() - arrowSize - height;
    p.frame = QRectF(x, y, width, height);
    const double lowest = std::min(arrowInset, width / 2);
    p.arrowX = std::clamp(control.center().x() - x, lowest, width - lowest);
    return p;
}

} // namespace nimbrel
