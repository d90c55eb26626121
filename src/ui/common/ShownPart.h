#pragma once

#include <QRectF>

class QQuickItem;

namespace nimbrel {

// The part of `item` a person can see in its window, in scene coordinates: cut by every item
// around it that clips and by the window; empty when it is hidden, fully transparent (itself or
// an item around it) or in no window.
QRectF shownPart(const QQuickItem& item);

} // namespace nimbrel
