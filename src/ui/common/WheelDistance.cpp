#include "ui/common/WheelDistance.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace nimbrel {

namespace {
constexpr double kPointsPerLine = 20;
constexpr double kAnglePerNotch = 120;
} // namespace

QPointF wheelScrollDistance(QPoint pixelDelta, QPoint angleDelta) {
    if (!pixelDelta.isNull()) return QPointF(pixelDelta);
    const int lines = QGuiApplication::styleHints()->wheelScrollLines();
    return QPointF(angleDelta) * (lines * kPointsPerLine / kAnglePerNotch);
}

} // namespace nimbrel
