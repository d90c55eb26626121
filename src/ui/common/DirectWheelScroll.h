#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class QQuickItem;

namespace nimbrel {

// Attached to a list (a Flickable or a ListView) as `DirectWheelScroll.enabled: true`: a wheel
// or a trackpad swipe moves the content at once by its own distance, within the content's
// bounds, as a desktop list does. Left to itself the list would turn each wheel step into a
// flick that goes on moving after the wheel stops, so what lies under the pointer when the
// person clicks is not what they saw, and the press goes to stopping the list. A direction the
// list cannot move in (it does not scroll that way, or its content fits) leaves the wheel to
// the items around it; the list never flicks from a wheel.
class DirectWheelScroll : public QObject {
    Q_OBJECT
    QML_ATTACHED(DirectWheelScroll)
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
  public:
    explicit DirectWheelScroll(QObject* list);
    static DirectWheelScroll* qmlAttachedProperties(QObject* object) { return new DirectWheelScroll(object); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

  signals:
    void enabledChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Axis;
    // Moves the content along one axis by `distance` (positive: towards the start); false when
    // the list cannot move that way.
    bool scroll(const Axis& axis, double distance);

    QQuickItem* list_ = nullptr;
    bool enabled_ = true;
};

} // namespace nimbrel
