#include "ui/common/ShownPart.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace nimbrel {

QRectF shownPart(const QQuickItem& item) {
    const QQuickWindow* window = item.window();
    if (!window || !item.isVisible()) return {};
    QRectF shown = item.mapRectToScene(item.boundingRect()) & QRectF(QPointF(0, 0), window->size());
    for (const QQuickItem* around = &item; around; around = around->parentItem()) {
        if (around->opacity() <= 0) return {};
        if (around != &item && around->clip()) shown &= around->mapRectToScene(around->boundingRect());
    }
    return shown;
}

} // namespace nimbrel
