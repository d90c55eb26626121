#include "ui/common/HelpTipTracker.h"

#include "platform/Platform.h"
#include "quick/PointerWatch.h"
#include "ui/common/HelpTipPlacement.h"
#include "ui/common/ShownPart.h"

#include <QLineF>
#include <QQuickItem>
#include <QQuickWindow>

namespace nimbrel {

namespace {
// How far the item may shift (rounding, a hover's growth) before it counts as moved.
constexpr double kStill = 0.5;
} // namespace

HelpTipTracker::HelpTipTracker(QObject* parent)
    : QObject(parent), timing_(
                           Platform::isInstalled() ? Platform::current().scheduler : nullptr,
                           [this] { return mayShow(); }, [this] { emit shownChanged(); }) {}

void HelpTipTracker::setItem(QQuickItem* item) {
    if (item == item_) return;
    if (item_) disconnect(item_, nullptr, this, nullptr);
    item_ = item;
    if (item_) connect(item_, &QQuickItem::windowChanged, this, &HelpTipTracker::attach);
    attach();
    emit itemChanged();
}

void HelpTipTracker::setLayer(QQuickItem* layer) {
    if (layer == layer_) return;
    layer_ = layer;
    timing_.dismiss();
    emit layerChanged();
}

void HelpTipTracker::setHovering(bool hovering) {
    if (hovering == hovering_) return;
    hovering_ = hovering;
    emit hoveringChanged();
    attach();
}

void HelpTipTracker::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    emit enabledChanged();
    pointerChanged();
}

void HelpTipTracker::setTipSize(QSizeF size) {
    if (size == tipSize_) return;
    tipSize_ = size;
    emit tipSizeChanged();
}

QRectF HelpTipTracker::restingArea() const {
    if (!item_ || !layer_) return {};
    return shownPart(*item_) & layer_->mapRectToScene(layer_->boundingRect());
}

bool HelpTipTracker::pointerOver() const {
    if (!hovering_ || !enabled_ || !watch_ || watch_->covered()) return false;
    const std::optional<QPointF> at = watch_->position();
    return at && restingArea().contains(*at);
}

QPointF HelpTipTracker::itemMiddle() const {
    return item_ ? item_->mapToScene(QPointF(item_->width() / 2, item_->height() / 2)) : QPointF();
}

void HelpTipTracker::pointerChanged() {
    const bool over = pointerOver();
    // Qt also flags an item hovered that comes under the pointer at rest; only a move starts a tip.
    if (over && timing_.idle() && !watch_->justMoved()) return;
    const bool wasIdle = timing_.idle();
    timing_.pointerAt(over);
    if (wasIdle && !timing_.idle()) armedAt_ = itemMiddle();
}

bool HelpTipTracker::stillOver() const {
    return pointerOver() && QLineF(itemMiddle(), armedAt_).length() <= kStill;
}

void HelpTipTracker::frame() {
    if (!timing_.idle() && !stillOver()) timing_.dismiss();
}

bool HelpTipTracker::mayShow() {
    if (!stillOver()) return false;
    const QRectF beside = layer_->mapRectFromScene(restingArea());
    position_ = placeHelpTip(beside, tipSize_, QRectF(0, 0, layer_->width(), layer_->height()));
    emit positionChanged();
    return true;
}

void HelpTipTracker::attach() {
    detach();
    window_ = item_ ? item_->window() : nullptr;
    watch_ = window_ ? PointerWatch::of(*window_) : nullptr;
    // Only an item under the pointer follows it and the frames.
    if (watch_ && hovering_) {
        followed_.push_back(connect(watch_, &PointerWatch::moved, this, &HelpTipTracker::pointerChanged));
        // A click is an answer to the item, not a rest on it: the tip it would have shown waits
        // for the next move.
        followed_.push_back(connect(watch_, &PointerWatch::pressed, this, [this] { timing_.dismiss(); }));
        followed_.push_back(connect(window_, &QQuickWindow::afterAnimating, this, &HelpTipTracker::frame));
    }
    pointerChanged();
}

void HelpTipTracker::detach() {
    for (const QMetaObject::Connection& connection : followed_)
        disconnect(connection);
    followed_.clear();
}

} // namespace nimbrel
