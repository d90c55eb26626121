#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace nimbrel {

// Where a help tip of `size` goes beside the item it explains, in the coordinates of `bounds`
// (the panel's content): centred under the item, over it when there is no room below, and
// always inside `bounds`, 4 points from its edges.
QPointF placeHelpTip(const QRectF& item, const QSizeF& size, const QRectF& bounds);

} // namespace nimbrel
