#include "quick/ModalLayer.h"

#include "quick/PointerWatch.h"

#include <QQuickWindow>

#include <utility>

namespace nimbrel {

ModalLayer::ModalLayer(QQuickItem* parent) : QQuickItem(parent) {
    setAcceptedMouseButtons(Qt::AllButtons);
    setAcceptHoverEvents(true);
}

ModalLayer::~ModalLayer() {
    if (covered_) covered_->cover(*this, false);
}

void ModalLayer::itemChange(ItemChange change, const ItemChangeData& value) {
    QQuickItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged || change == ItemSceneChange) follow();
}

void ModalLayer::follow() {
    const bool shown = isVisible() && window();
    if (shown && covered_ && covered_->parent() == window()) return;
    letGo();
    if (shown) hold();
}

void ModalLayer::hold() {
    covered_ = PointerWatch::of(*window());
    covered_->cover(*this, true);
    if (!hasKeyboard()) {
        focusBefore_ = window()->activeFocusItem();
        const QVariant cursor = focusBefore_->property("cursorPosition");
        cursorBefore_ = cursor.isValid() ? cursor.toInt() : -1;
        const int start = focusBefore_->property("selectionStart").toInt();
        const int end = focusBefore_->property("selectionEnd").toInt();
        anchorBefore_ = start == end ? cursorBefore_ : (cursorBefore_ == start ? end : start);
    }
    forceActiveFocus();
    keyboardWatch_ = connect(window(), &QQuickWindow::activeFocusItemChanged, this, &ModalLayer::keyboardMoved);
}

void ModalLayer::keyboardMoved() {
    // The keys are the topmost layer's until it goes, whatever lies beneath it.
    if (covered_ && covered_->covers().back() == this && !hasKeyboard()) forceActiveFocus();
}

void ModalLayer::letGo() {
    if (!covered_) return;
    disconnect(keyboardWatch_);
    covered_->cover(*this, false);
    covered_.clear();
    // Unless someone else took the keyboard meanwhile, it goes back where it was.
    QPointer<QQuickItem> before = std::exchange(focusBefore_, nullptr);
    if (!before || !before->isVisible() || before->window() != window() || !hasKeyboard()) return;
    before->forceActiveFocus();
    if (cursorBefore_ >= 0)
        QMetaObject::invokeMethod(before, "select", Q_ARG(int, anchorBefore_), Q_ARG(int, cursorBefore_));
}

bool ModalLayer::hasKeyboard() const {
    // Qt leaves the keyboard with an item around a focused item that goes out of sight.
    QQuickItem* focused = window() ? window()->activeFocusItem() : nullptr;
    return !focused || focused == this || isAncestorOf(focused) || focused->isAncestorOf(this);
}

void ModalLayer::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void ModalLayer::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void ModalLayer::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void ModalLayer::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

} // namespace nimbrel
