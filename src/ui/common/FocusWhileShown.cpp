#include "ui/common/FocusWhileShown.h"

#include "ui/common/ShownPart.h"

#include <QQuickItem>

namespace nimbrel {

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
    if (field_ && enabled_ && field_->hasActiveFocus() && shownPart(*field_).isEmpty()) field_->setFocus(false);
}

} // namespace nimbrel
