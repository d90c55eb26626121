#include "ui/common/HelpTipPlacement.h"

#include <algorithm>

namespace nimbrel {

namespace {
constexpr double kGap = 6;    // between the item and its tip
constexpr double kMargin = 4; // kept from the edges of the bounds

// `start` moved as little as needed for `length` to lie within [low, high] (at `low` when it cannot).
double within(double start, double length, double low, double high) {
    return std::clamp(start, low, std::max(low, high - length));
}
} // namespace

QPointF placeHelpTip(const QRectF& item, const QSizeF& size, const QRectF& bounds) {
    const double top = bounds.top() + kMargin;
    const double bottom = bounds.bottom() - kMargin;
    const double x =
        within(item.center().x() - size.width() / 2, size.width(), bounds.left() + kMargin, bounds.right() - kMargin);
    const double below = item.bottom() + kGap;
    const double above = item.top() - kGap - size.height();
    const auto fits = [&](double y) { return y >= top && y + size.height() <= bottom; };
    if (fits(below)) return {x, below};
    if (fits(above)) return {x, above};
    return {x, within(below, size.height(), top, bottom)};
}

} // namespace nimbrel
