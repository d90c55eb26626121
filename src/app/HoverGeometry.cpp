#include "app/HoverGeometry.h"

#include <algorithm>

namespace nimbrel {

QPointF hoverLightCentre(QPointF pointer, QSizeF elementSize) {
    const double maxX = std::max(elementSize.width(), 1.0);
    const double maxY = std::max(elementSize.height(), 1.0);
    return {std::clamp(pointer.x(), 0.0, maxX), std::clamp(pointer.y(), 0.0, maxY)};
}

HoverStroke hoverStroke(QSizeF canvas, double borderWidth, double cornerRadius) {
    QRectF rect(0, 0, canvas.width(), canvas.height());
    rect.adjust(borderWidth, borderWidth, -borderWidth, -borderWidth);
    const double radius = std::min(cornerRadius, std::min(rect.width(), rect.height()) * 0.5);
    return {rect, std::max(radius, 0.0)};
}

} // namespace nimbrel
