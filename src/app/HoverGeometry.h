#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace nimbrel {

// Where the hover light sits: the pointer clamped into the element (at least 1 x 1 point).
QPointF hoverLightCentre(QPointF pointer, QSizeF elementSize);

// The lit stroke's rectangle (the canvas inset by the border width) and its corner radius,
// never more than half the rectangle's shorter side.
struct HoverStroke {
    QRectF rect;
    double radius = 0;
};
HoverStroke hoverStroke(QSizeF canvas, double borderWidth, double cornerRadius);

// The same math for QML.
class HoverGeometry : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    Q_INVOKABLE QPointF lightCentre(double x, double y, double width, double height) const {
        return hoverLightCentre({x, y}, {width, height});
    }
    Q_INVOKABLE QRectF strokeRect(double width, double height, double borderWidth, double cornerRadius) const {
        return hoverStroke({width, height}, borderWidth, cornerRadius).rect;
    }
    Q_INVOKABLE double strokeRadius(double width, double height, double borderWidth, double cornerRadius) const {
        return hoverStroke({width, height}, borderWidth, cornerRadius).radius;
    }
};

} // namespace nimbrel
