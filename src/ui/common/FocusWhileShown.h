#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <vector>

class QQuickItem;

namespace nimbrel {

// Attached to a text field as `FocusWhileShown.enabled: true`: the field keeps the keyboard
// only while the person can see it. Once it is hidden, faded out, or moved wholly outside an
// item that clips it (the list it is scrolled out of) or outside its window, it gives up the
// focus, so what is typed next goes nowhere instead of into a field out of sight. Giving up
// the focus is the same as clicking elsewhere: the field's own reaction to that is unchanged.
class FocusWhileShown : public QObject {
    Q_OBJECT
    QML_ATTACHED(FocusWhileShown)
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
  public:
    explicit FocusWhileShown(QObject* field);
    static FocusWhileShown* qmlAttachedProperties(QObject* object) { return new FocusWhileShown(object); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

  signals:
    void enabledChanged();

  private:
    // While the field has the focus, follows everything that can take it out of sight: the
    // visibility, opacity, place and size of the field and of each item around it.
    void follow();
    void stopFollowing();
    // Looked at once the scene has taken the change in (a layout may pass through a place
    // that it does not keep).
    void checkSoon();
    void check();

    QQuickItem* field_ = nullptr;
    bool enabled_ = true;
    bool checkPending_ = false;
    std::vector<QMetaObject::Connection> followed_;
};

} // namespace nimbrel
