#pragma once

#include <QPoint>
#include <QPointF>

namespace nimbrel {

// How far one wheel event scrolls, in points, positive towards the start (up, left): a
// trackpad's own distance when it gives one, else the desktop's wheel lines (three by default)
// of 20 points for each notch of a mouse wheel, a notch being 120 eighths of a degree.
QPointF wheelScrollDistance(QPoint pixelDelta, QPoint angleDelta);

} // namespace nimbrel
