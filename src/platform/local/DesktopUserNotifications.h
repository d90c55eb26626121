#pragma once

#include "platform/RecordingUserNotifications.h"

#include <QStringList>

namespace nimbrel {

// User notifications on this machine: kept like the recording ones and, when a desktop
// notification service can be reached on the session bus through `gdbus`, shown there.
// Showing is best effort: a missing service changes nothing else.
class DesktopUserNotifications final : public RecordingUserNotifications {
  public:
    DesktopUserNotifications(Scheduler& scheduler, Clock& clock);

    bool canShow() const { return !gdbus_.isEmpty(); }

    // The arguments handed to gdbus for one request (no shell is involved; texts are
    // written as quoted GVariant strings so that no text can change the call).
    static QStringList notifyArguments(const NotificationRequest& request);
    // A GVariant text literal of `text`.
    static QString variantString(const QString& text);

  protected:
    void present(const NotificationRequest& request) override;

  private:
    QString gdbus_;
};

} // namespace nimbrel
