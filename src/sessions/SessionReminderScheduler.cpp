#include "sessions/SessionReminderScheduler.h"

#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"
#include "platform/UserNotifications.h"
#include "sessions/ReminderDates.h"
#include "sessions/Session.h"

#include <array>
#include <limits>

namespace nimbrel {

namespace {

const Date kNever{std::numeric_limits<double>::infinity()};
const Date kAlready{-std::numeric_limits<double>::infinity()};

QString reminderIdentifier(const Uuid& id, int weekday, int week) {
    return NimbrelSessionReminderScheduler::identifierPrefix + id.toString() +
           QStringLiteral(".%1.%2").arg(weekday).arg(week);
}

// The sessions grouped by id, each group in list order, the groups in the order of their first session.
std::vector<std::vector<SessionReminderFields>> groupedById(const std::vector<SessionReminderFields>& sessions) {
    std::vector<std::vector<SessionReminderFields>> groups;
    std::unordered_map<Uuid, size_t> groupOf;
    groupOf.reserve(sessions.size());
    for (const SessionReminderFields& session : sessions) {
        const auto [it, added] = groupOf.try_emplace(session.id, groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(session);
    }
    return groups;
}

} // namespace

SessionReminderFields SessionReminderFields::of(const NimbrelSession& s) {
    return {s.id,
            s.name,
            s.isEnabled,
            s.remindBeforeSession,
            s.remindBeforeSessionSeconds,
            s.scheduleStartTime,
            s.scheduleWeekdays,
            s.whitelistAllApps};
}

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

QString NimbrelSessionReminderScheduler::reminderBody(const SessionReminderFields& session, std::int64_t leadSeconds) {
    return QStringLiteral("The ") + session.name + QStringLiteral(" session begins in ") +
           reminderLeadTimeText(leadSeconds) +
           (session.whitelistAllApps
                ? QStringLiteral(". All apps are whitelisted.")
                : QStringLiteral(". Save your work \u2014 apps not in your whitelist will be closed."));
}

namespace {
std::shared_ptr<const std::vector<SessionReminderFields>> fieldsOf(const std::vector<NimbrelSession>& sessions) {
    auto fields = std::make_shared<std::vector<SessionReminderFields>>();
    fields->reserve(sessions.size());
    for (const NimbrelSession& session : sessions)
        fields->push_back(SessionReminderFields::of(session));
    return fields;
}
} // namespace

void NimbrelSessionReminderScheduler::refreshReminders(const std::vector<NimbrelSession>& sessions) {
    const std::uint64_t generation = ++generation_;
    // A platform without a notification centre has nowhere to put reminders.
    if (!platform_.userNotifications) return;
    platform_.userNotifications->requestAuthorization(
        NotificationAlert | NotificationSound,
        [weak = weak_from_this(), fields = fieldsOf(sessions), generation](bool granted, std::optional<QString>) {
            if (auto self = weak.lock()) self->reschedule(granted, fields, generation);
        });
}

void NimbrelSessionReminderScheduler::rescheduleReminders(bool granted, const std::vector<NimbrelSession>& sessions) {
    reschedule(granted, fieldsOf(sessions), ++generation_);
}

void NimbrelSessionReminderScheduler::reschedule(bool granted, FieldList sessions, std::uint64_t generation) {
    if (generation != generation_ || !granted) return;
    const Date now = platform_.clock->now();
    const bool clockSetBack = refreshedAt_ && now < *refreshedAt_;
    refreshedAt_ = now;
    // What was made is known only in the zone it was made in, and from the moment it was made on.
    if (made_ && sameLocalTimes(madeInZone_, currentTimeZone(), now) && !clockSetBack) {
        replaceChanged(*sessions);
        return;
    }
    // Until this one is done, a later refresh replaces everything too.
    made_.reset();
    platform_.userNotifications->pendingRequests([weak = weak_from_this(), sessions = std::move(sessions),
                                                  generation](std::vector<NotificationRequest> pending) {
        auto self = weak.lock();
        if (!self || generation != self->generation_) return;
        QStringList ours;
        for (const NotificationRequest& request : pending)
            if (request.identifier.startsWith(identifierPrefix)) ours << request.identifier;
        self->replaceAll(ours, *sessions);
    });
}

void NimbrelSessionReminderScheduler::replaceAll(const QStringList& pendingIdentifiers,
                                                 const std::vector<SessionReminderFields>& sessions) {
    platform_.userNotifications->removePendingRequests(pendingIdentifiers);
    made_.emplace();
    madeInZone_ = currentTimeZone();
    for (std::vector<SessionReminderFields>& group : groupedById(sessions)) {
        const Uuid id = group.front().id;
        made_->insert_or_assign(id, make(std::move(group)));
    }
}

void NimbrelSessionReminderScheduler::replaceChanged(const std::vector<SessionReminderFields>& sessions) {
    const Date now = platform_.clock->now();
    std::unordered_map<Uuid, Made> next;
    next.reserve(sessions.size());
    for (std::vector<SessionReminderFields>& group : groupedById(sessions)) {
        const Uuid id = group.front().id;
        if (auto was = made_->find(id); was != made_->end()) {
            if (was->second.sessions == group && now < was->second.validUntil) {
                next.insert_or_assign(id, std::move(was->second));
            } else {
                removeAllOf(id);
                next.insert_or_assign(id, make(std::move(group)));
            }
            made_->erase(was);
        } else {
            next.insert_or_assign(id, make(std::move(group)));
        }
    }
    // The sessions no longer in the list.
    for (const auto& [id, made] : *made_)
        removeAllOf(id);
    made_ = std::move(next);
}

NimbrelSessionReminderScheduler::Made
NimbrelSessionReminderScheduler::make(std::vector<SessionReminderFields> sessionsOfOneId) {
    Made made{std::move(sessionsOfOneId), kNever};
    for (const SessionReminderFields& session : made.sessions)
        if (session.reminds()) made.validUntil = std::min(made.validUntil, scheduleReminders(session));
    return made;
}

void NimbrelSessionReminderScheduler::removeAllOf(const Uuid& id) {
    QStringList identifiers;
    identifiers.reserve(7 * kWeeks);
    for (int weekday = 1; weekday <= 7; ++weekday)
        for (int week = 0; week < kWeeks; ++week)
            identifiers << reminderIdentifier(id, weekday, week);
    platform_.userNotifications->removePendingRequests(identifiers);
}

Date NimbrelSessionReminderScheduler::scheduleReminders(const SessionReminderFields& session) {
    const Calendar calendar = Calendar::current();
    const std::int64_t lead = session.leadSeconds;
    Date validUntil = kNever;
    // Made once and shared by the session's requests: with many sessions they are most of what
    // the pending requests hold.
    const QString title = session.name + QStringLiteral(" starts soon");
    const QString body = reminderBody(session, lead);
    // Weeks are counted in calendar days, so a daylight-saving change moves no reminder.
    std::array<Date, kWeeks> weekStarts;
    for (int week = 0; week < kWeeks; ++week)
        weekStarts[size_t(week)] = calendar.addingDays(platform_.clock->now(), 7 * week).addingSeconds(-1);
    for (NimbrelSessionWeekday day : session.weekdays) {
        std::optional<Date> firstStart;
        for (int week = 0; week < kWeeks; ++week) {
            const std::optional<Date> start = nextDateMatching(calendar, weekStarts[size_t(week)], weekdayNumber(day),
                                                               session.start.hour, session.start.minute);
            if (!start) continue;
            // Each week's start moves on a week once the first week's has passed, as long as each
            // is the first's seven days on; around a daylight-saving change one may not be, and
            // the reminders are then made anew at every refresh.
            if (week == 0)
                firstStart = start;
            else if (!firstStart || *start != calendar.addingDays(*firstStart, 7 * week))
                validUntil = kAlready;
            validUntil = std::min(validUntil, *start);
            const Date fire = start->addingSeconds(-double(lead));
            if (!(fire > platform_.clock->now())) continue;
            NotificationRequest request;
            request.identifier = reminderIdentifier(session.id, weekdayNumber(day), week);
            request.title = title;
            request.body = body;
            request.sound = true;
            request.triggerDate = minuteOf(calendar, fire);
            // Once it falls due it is no longer pending, though it would still be made until `fire`.
            validUntil = std::min(validUntil, *request.triggerDate);
            platform_.userNotifications->add(request, [weak = weak_from_this(), id = session.id,
                                                       identifier = request.identifier](std::optional<QString> error) {
                if (!error) return;
                logLine(QStringLiteral("NimbrelSessionReminderScheduler"),
                        QStringLiteral("failed to schedule ") + identifier + QStringLiteral(": ") + *error);
                // Refused: made again at the next refresh, as if all were remade.
                if (auto self = weak.lock(); self && self->made_)
                    if (auto made = self->made_->find(id); made != self->made_->end())
                        made->second.validUntil = kAlready;
            });
        }
    }
    return validUntil;
}

} // namespace nimbrel
