#include "activity/ActivityRecorder.h"

#include "activity/ActivityStore.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "platform/UserNotifications.h"

namespace nimbrel {

QVariantMap activityUserInfo(const NimbrelActivityEntry& entry) {
    return QVariantMap{
        {QStringLiteral("id"), entry.id.toString()},
        {QStringLiteral("type"), json::enumName(entry.type)},
        {QStringLiteral("title"), entry.title},
        {QStringLiteral("message"), entry.message},
        {QStringLiteral("date"), QVariant::fromValue(entry.date)},
    };
}

void recordNimbrelActivity(Platform& platform, NimbrelActivityType type, const QString& title, const QString& message) {
    // The activity screen's own copy action must not log itself.
    if (title == QStringLiteral("Activity Copied")) return;

    const NimbrelActivityEntry entry{Uuid::random(), type, title, message,
                                     platform.clock ? platform.clock->now() : Date{}};
    // The store takes the entry after the caller's current work, never during the call.
    if (platform.scheduler)
        platform.scheduler->post([&platform, entry] { NimbrelActivityStore::shared(platform).add(entry); });
    if (platform.notifications) platform.notifications->post(kRecordActivityNotification, activityUserInfo(entry));
    postActivitySystemNotification(platform, title, message);
}

void recordActivity(NimbrelActivityType type, const QString& title, const QString& message) {
    recordNimbrelActivity(Platform::current(), type, title, message);
}

void postActivitySystemNotification(Platform& platform, const QString& title, const QString& message) {
    if (!platform.defaults || !platform.userNotifications) return;
    if (!platform.defaults->boolValue(kSystemNotificationsEnabledKey).value_or(false)) return;
    NotificationRequest request;
    request.identifier = QStringLiteral("Nimbrel.Activity.") + Uuid::random().toString();
    request.title = title;
    request.body = message;
    request.sound = true;
    platform.userNotifications->add(request); // a refusal is not reported
}

} // namespace nimbrel
