#include "sessions/SessionReminderScheduler.h"

#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"
#include "platform/UserNotifications.h"
#include "sessions/ReminderDates.h"
#include "sessions/Session.h"

namespace nimbrel {

NimbrelSessionReminderScheduler::NimbrelSessionReminderScheduler(Platform& platform) : platform_(platform) {}

std::shared_ptr<NimbrelSessionReminderScheduler> NimbrelSessionReminderScheduler::sharedPtr() {
    return sharedInstancePtr<NimbrelSessionReminderScheduler>(
        [] { return std::make_shared<NimbrelSessionReminderScheduler>(Platform::current()); });
}

NimbrelSessionReminderScheduler& NimbrelSessionReminderScheduler::shared() {
    return *sharedPtr();
}

QString NimbrelSessionReminderScheduler::reminderLeadTimeText(std::int64_t s) {
    if (s == 1) return QStringLiteral("1 second");
    if (s <= 59) return QStringLiteral("%1 seconds").arg(s);
    if (s <= 119) return QStringLiteral("%1 minute").arg(s / 60);
    if (s <= 3599) return QStringLiteral("%1 minutes").arg(s / 60);
    if (s <= 7199) return QStringLiteral("%1 hour").arg(s / 3600);
    return QStringLiteral("%1 hours").arg(s / 3600);
}

QString NimbrelSessionReminderScheduler::reminderBody(const NimbrelSession& session, std::int64_t leadSeconds) {
    return QStringLiteral("The ") + session.name + QStringLiteral(" session begins in ") +
           reminderLeadTimeText(leadSeconds) +
           (session.whitelistAllApps
                ? QStringLiteral(". All apps are whitelisted.")
                : QStringLiteral(". Save your work \u2014 apps not in your whitelist will be closed."));
}

void NimbrelSessionReminderScheduler::refreshReminders(const std::vector<NimbrelSession>& sessions) {
    const std::uint64_t generation = ++generation_;
    // A platform without a notification centre has nowhere to put reminders.
    if (!platform_.userNotifications) return;
    platform_.userNotifications->requestAuthorization(
        NotificationAlert | NotificationSound,
        [weak = weak_from_this(), sessions, generation](bool granted, std::optional<QString>) {
            if (auto self = weak.lock()) self->reschedule(granted, sessions, generation);
        });
}

void NimbrelSessionReminderScheduler::rescheduleReminders(bool granted, const std::vector<NimbrelSession>& sessions) {
    reschedule(granted, sessions, ++generation_);
}

void NimbrelSessionReminderScheduler::reschedule(bool granted, std::vector<NimbrelSession> sessions,
                                                 std::uint64_t generation) {
    if (generation != generation_ || !granted) return;
    platform_.userNotifications->pendingRequests([weak = weak_from_this(), sessions = std::move(sessions),
                                                  generation](std::vector<NotificationRequest> pending) {
        auto self = weak.lock();
        if (!self || generation != self->generation_) return;
        QStringList ours;
        for (const NotificationRequest& request : pending)
            if (request.identifier.startsWith(identifierPrefix)) ours << request.identifier;
        self->platform_.userNotifications->removePendingRequests(ours);
        for (const NimbrelSession& session : sessions)
            if (session.isEnabled && session.remindBeforeSession) self->scheduleReminders(session);
    });
}

void NimbrelSessionReminderScheduler::scheduleReminders(const NimbrelSession& session) {
    const Calendar calendar = Calendar::current();
    const std::int64_t lead = session.remindBeforeSessionSeconds;
    for (NimbrelSessionWeekday day : session.scheduleWeekdays) {
        for (int week = 0; week < kWeeks; ++week) {
            // Weeks are counted in calendar days, so a daylight-saving change moves no reminder.
            const Date reference = calendar.addingDays(platform_.clock->now(), 7 * week).addingSeconds(-1);
            const std::optional<Date> start =
                nextDateMatching(calendar, reference, weekdayNumber(day), session.scheduleStartTime.hour,
                                 session.scheduleStartTime.minute);
            if (!start) continue;
            const Date fire = start->addingSeconds(-double(lead));
            if (!(fire > platform_.clock->now())) continue;
            NotificationRequest request;
            request.identifier =
                identifierPrefix + session.id.toString() + QStringLiteral(".%1.%2").arg(weekdayNumber(day)).arg(week);
            request.title = session.name + QStringLiteral(" starts soon");
            request.body = reminderBody(session, lead);
            request.sound = true;
            request.triggerDate = minuteOf(calendar, fire);
            platform_.userNotifications->add(request, [identifier = request.identifier](std::optional<QString> error) {
                if (error)
                    logLine(QStringLiteral("NimbrelSessionReminderScheduler"),
                            QStringLiteral("failed to schedule ") + identifier + QStringLiteral(": ") + *error);
            });
        }
    }
}

} // namespace nimbrel
