#include "quick/PointerWatch.h"

#include <QEvent>
#include <QQuickWindow>
#include <QSinglePointEvent>

namespace nimbrel {

PointerWatch* PointerWatch::of(QQuickWindow& window) {
    if (auto* watch = window.findChild<PointerWatch*>(QString(), Qt::FindDirectChildrenOnly)) return watch;
    return new PointerWatch(window);
}

PointerWatch::PointerWatch(QQuickWindow& window) : QObject(&window) {
    window.installEventFilter(this);
    connect(&window, &QQuickWindow::afterAnimating, this, [this] { justMoved_ = false; });
}

void PointerWatch::cover(QQuickItem& layer, bool on) {
    if (on)
        covers_.push_back(&layer);
    else
        std::erase(covers_, &layer);
    emit moved();
}

bool PointerWatch::eventFilter(QObject*, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    std::optional<QPointF> now = position_;
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        now = static_cast<QSinglePointEvent*>(event)->scenePosition();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        now.reset();
        break;
    default:
        return false;
    }
    if (now != position_) {
        position_ = now;
        justMoved_ = true;
        emit moved();
    } else if (event->type() == QEvent::Wheel) {
        justMoved_ = false;
    }
    if (press) emit pressed();
    return false;
}

} // namespace nimbrel
