#pragma once

#include "activity/ActivityEntry.h"

namespace nimbrel {

struct Platform;

inline const QString kRecordActivityNotification = QStringLiteral("nimbrelRecordActivity");
inline const QString kSystemNotificationsEnabledKey = QStringLiteral("Nimbrel.settings.systemNotificationsEnabled");

// The one call through which every subsystem reports what it did and what failed: the entry
// reaches the shared activity store on the next turn of the main loop, "nimbrelRecordActivity"
// is posted at once, and a user notification is shown when the user switched them on.
void recordNimbrelActivity(Platform& platform, NimbrelActivityType type, const QString& title, const QString& message);
// The same over the installed platform.
void recordActivity(NimbrelActivityType type, const QString& title, const QString& message);

// The user-info of "nimbrelRecordActivity": id (text), type (raw value), title, message, date.
QVariantMap activityUserInfo(const NimbrelActivityEntry& entry);

// The user notification of an activity, when "Nimbrel.settings.systemNotificationsEnabled" is true.
void postActivitySystemNotification(Platform& platform, const QString& title, const QString& message);

} // namespace nimbrel
