#include "ui/common/FocusWhileShown.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace nimbrel {

namespace {

// Whether any part of `item` can be seen in its window.
bool isShown(const QQuickItem& item) {
    const QQuickWindow* window = item.window();
    if (!window || !item.isVisible()) return false;
    QRectF shown = item.mapRectToScene(item.boundingRect()) & QRectF(QPointF(0, 0), window->size());
    for (const QQuickItem* around = &item; around; around = around->parentItem()) {
        if (around->opacity() <= 0) return false;
        if (around != &item && around->clip()) shown &= around->mapRectToScene(around->boundingRect());
    }
    return !shown.isEmpty();
}

} // namespace

FocusWhileShown::FocusWhileShown(QObject* field) : QObject(field), field_(qobject_cast<QQuickItem*>(field)) {
    if (field_) connect(field_, &QQuickItem::activeFocusChanged, this, &FocusWhileShown::follow);
}

void FocusWhileShown::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    emit enabledChanged();
    follow();
}

void FocusWhileShown::follow() {
    stopFollowing();
    if (!field_ || !enabled_ || !field_->hasActiveFocus()) return;
    for (QQuickItem* item = field_; item; item = item->parentItem()) {
        for (auto signal : {&QQuickItem::visibleChanged, &QQuickItem::opacityChanged, &QQuickItem::xChanged,
                            &QQuickItem::yChanged, &QQuickItem::widthChanged, &QQuickItem::heightChanged})
            followed_.push_back(connect(item, signal, this, &FocusWhileShown::checkSoon));
        // Moved elsewhere in the scene: follow the new items around it.
        followed_.push_back(connect(item, &QQuickItem::parentChanged, this, &FocusWhileShown::follow));
    }
    checkSoon();
}

void FocusWhileShown::stopFollowing() {
    for (const QMetaObject::Connection& connection : followed_)
        disconnect(connection);
    followed_.clear();
}

void FocusWhileShown::checkSoon() {
    if (checkPending_) return;
    checkPending_ = true;
    QMetaObject::invokeMethod(this, &FocusWhileShown::check, Qt::QueuedConnection);
}

void FocusWhileShown::check() {
    checkPending_ = false;
    if (field_ && enabled_ && field_->hasActiveFocus() && !isShown(*field_)) field_->setFocus(false);
}

} // namespace nimbrel
