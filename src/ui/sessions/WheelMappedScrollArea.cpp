#include "ui/sessions/WheelMappedScrollArea.h"

#include "ui/sessions/WheelMapping.h"

#include <QWheelEvent>

#include <algorithm>

namespace nimbrel {

WheelMappedScrollArea::WheelMappedScrollArea(QQuickItem* parent) : QQuickItem(parent) {
    setClip(true);
}

void WheelMappedScrollArea::setContentX(double x) {
    if (x == contentX_) return;
    contentX_ = x;
    emit contentXChanged();
}

void WheelMappedScrollArea::setDocumentWidth(double width) {
    if (width == documentWidth_) return;
    documentWidth_ = width;
    emit documentWidthChanged();
    keepInside();
}

void WheelMappedScrollArea::wheelEvent(QWheelEvent* event) {
    if (childItems().isEmpty()) {
        event->ignore();
        return;
    }
    // Trackpads give points; a mouse wheel gives eighths of a degree, 15 points a notch.
    const QPointF delta =
        event->pixelDelta().isNull() ? QPointF(event->angleDelta()) / 8.0 : QPointF(event->pixelDelta());
    const WheelScroll scroll = wheelMappedScroll(delta.x(), delta.y(), contentX_, documentWidth_, width());
    if (!scroll.handled) {
        event->ignore();
        return;
    }
    setContentX(scroll.offset);
    event->accept();
}

void WheelMappedScrollArea::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    keepInside();
}

void WheelMappedScrollArea::keepInside() {
    setContentX(std::clamp(contentX_, 0.0, std::max(documentWidth_ - width(), 0.0)));
}

} // namespace nimbrel
