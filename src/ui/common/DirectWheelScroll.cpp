#include "ui/common/DirectWheelScroll.h"

#include "ui/common/WheelDistance.h"

#include <QQuickItem>
#include <QWheelEvent>

#include <algorithm>

namespace nimbrel {

// The names under which a Flickable gives one axis of its content.
struct DirectWheelScroll::Axis {
    const char* offset;
    const char* origin;
    const char* contentSize;
    const char* startMargin;
    const char* endMargin;
    const char* viewSize;
    int flickBit; // Flickable.HorizontalFlick or Flickable.VerticalFlick
};

namespace {
constexpr int kHorizontalFlick = 0x1;
constexpr int kVerticalFlick = 0x2;
constexpr int kExplicitDirections = kHorizontalFlick | kVerticalFlick;
} // namespace

DirectWheelScroll::DirectWheelScroll(QObject* list) : QObject(list), list_(qobject_cast<QQuickItem*>(list)) {
    if (list_) list_->installEventFilter(this);
}

void DirectWheelScroll::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    emit enabledChanged();
}

bool DirectWheelScroll::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_ || event->type() != QEvent::Wheel || !enabled_ || !list_->property("interactive").toBool())
        return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    const QPointF distance = wheelScrollDistance(wheel->pixelDelta(), wheel->angleDelta());
    static const Axis vertical{"contentY",     "originY", "contentHeight", "topMargin",
                               "bottomMargin", "height",  kVerticalFlick};
    static const Axis horizontal{"contentX",    "originX", "contentWidth",  "leftMargin",
                                 "rightMargin", "width",   kHorizontalFlick};
    const bool upOrDown = scroll(vertical, distance.y());
    const bool sideways = scroll(horizontal, distance.x());
    // Not taken: the event goes on to the items around the list, never to the list's flick.
    wheel->setAccepted(upOrDown || sideways);
    return true;
}

bool DirectWheelScroll::scroll(const Axis& axis, double distance) {
    if (distance == 0) return false;
    const int directions = list_->property("flickableDirection").toInt();
    if ((directions & kExplicitDirections) != 0 && (directions & axis.flickBit) == 0) return false;
    const auto number = [this](const char* name) { return list_->property(name).toDouble(); };
    const double lowest = number(axis.origin) - number(axis.startMargin);
    const double highest =
        number(axis.origin) + number(axis.contentSize) + number(axis.endMargin) - number(axis.viewSize);
    if (highest <= lowest) return false;
    if (list_->property("flicking").toBool()) QMetaObject::invokeMethod(list_, "cancelFlick");
    list_->setProperty(axis.offset, std::clamp(number(axis.offset) - distance, lowest, highest));
    return true;
}

} // namespace nimbrel
