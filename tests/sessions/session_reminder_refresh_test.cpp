#include "SessionsFixture.h"

#include "sessions/SessionReminderScheduler.h"

namespace nimbrel::test {
namespace {

using W = NimbrelSessionWeekday;

NimbrelSession reminding(const QString& name, NimbrelSessionWeekdays days, int hour, int minute, int lead) {
    NimbrelSession s;
    s.name = name;
    s.scheduleWeekdays = days;
    s.scheduleStartTime = {hour, minute};
    s.scheduleEndTime = {hour, minute}; // all day
    s.isEnabled = true;
    s.remindBeforeSessionSeconds = lead;
    return s;
}

// What is pending, against what a scheduler that has made nothing yet leaves pending for a list.
class RemindersAgainstAnew : public SessionsFixture {
  protected:
    static std::map<QString, NotificationRequest> byIdentifier(const std::vector<NotificationRequest>& requests) {
        std::map<QString, NotificationRequest> out;
        for (const NotificationRequest& r : requests)
            out[r.identifier] = r;
        return out;
    }
    std::map<QString, NotificationRequest> pending() const { return byIdentifier(userNotifications.pendingNow()); }
    std::map<QString, NotificationRequest> madeAnew(const std::vector<NimbrelSession>& sessions) {
        RecordingUserNotifications fresh(scheduler, scheduler);
        Platform other = platform;
        other.userNotifications = &fresh;
        auto anew = std::make_shared<NimbrelSessionReminderScheduler>(other);
        anew->rescheduleReminders(true, sessions);
        scheduler.advance(0);
        return byIdentifier(fresh.pendingNow());
    }
};

// The store with the program's reminder scheduler: after every change the pending reminders are
// compared with those made anew from the store's list.
class SessionReminderRefresh : public RemindersAgainstAnew {
  protected:
    SessionReminderRefresh() {
        // Friday 2026-03-27 08:00 in Berlin; clocks go forward on Sunday the 29th at 02:00.
        scheduler.advanceTo(*Calendar::current().date(2026, 3, 27, 8, 0));
        NimbrelSession quiet = reminding("Quiet", {W::saturday}, 10, 0, 60);
        quiet.remindBeforeSession = false;
        storeSessions({reminding("Work", {W::monday, W::tuesday, W::wednesday, W::thursday, W::friday}, 9, 0, 120),
                       reminding("Evening", allSessionWeekdays(), 20, 0, 600),
                       // In the hour the clock skips, three weeks on.
                       reminding("Night", {W::sunday}, 2, 30, 3600), quiet});
        NimbrelSessionsStore::Parts parts = outside.parts();
        parts.reminders = [this]() -> SessionReminderControl& { return *reminders; };
        store = NimbrelSessionsStore::create(platform, std::move(parts));
        scheduler.advance(0);
    }

    NimbrelSession named(const QString& name) const {
        for (const NimbrelSession& s : store->sessions().get())
            if (s.name == name) return s;
        ADD_FAILURE() << name.toStdString();
        return {};
    }
    void edit(const QString& name, const std::function<void(NimbrelSession&)>& change) {
        NimbrelSession s = named(name);
        change(s);
        store->updateSession(s);
        scheduler.advance(0);
    }
    // The sessions, of those named, whose reminders were removed or added since `removed` and `added`.
    QStringList touched(const QStringList& names, qsizetype removed, size_t added) const {
        QStringList out;
        for (const QString& name : names) {
            const QString prefix = NimbrelSessionReminderScheduler::identifierPrefix + named(name).id.toString();
            const QStringList& removals = userNotifications.removedIdentifiers();
            bool hit = std::any_of(removals.begin() + removed, removals.end(),
                                   [&](const QString& i) { return i.startsWith(prefix); });
            for (size_t i = added; i < userNotifications.added().size(); ++i)
                hit = hit || userNotifications.added()[i].identifier.startsWith(prefix);
            if (hit) out << name;
        }
        return out;
    }

    std::shared_ptr<NimbrelSessionReminderScheduler> reminders =
        std::make_shared<NimbrelSessionReminderScheduler>(platform);
};

TEST_F(SessionReminderRefresh, EveryChangeLeavesPendingWhatMakingThemAllAnewWouldAndRemakesOnlyWhatChanged) {
    struct Step {
        const char* what;
        std::function<void()> run;
        // Sessions whose reminders this step must neither remove nor add.
        QStringList untouched;
        // How often the reminders were refreshed (each refresh asks for the permission once).
        size_t refreshes = 1;
        // False where the pending reminders are rightly not what making them anew would give.
        bool asAnew = true;
    };
    const auto tick = [&] { scheduler.advance(NimbrelSessionsStore::kActivationInterval); };
    // Office's reminder for next Monday, fifteen minutes before it starts at 08:30.
    const auto mondayReminder = [&] {
        const QString identifier =
            NimbrelSessionReminderScheduler::identifierPrefix + named("Office").id.toString() + QStringLiteral(".2.0");
        return pending().count(identifier) ? pending().at(identifier).triggerDate.value_or(Date{}) : Date{};
    };
    const auto utc = [](int day, int hour, int minute) {
        return *Calendar(QTimeZone("UTC")).date(2026, 3, day, hour, minute);
    };
    const QStringList everyone = {"Office", "Night", "From elsewhere", "Hush"};
    const Step steps[] = {
        {"add",
         [&] {
             store->addSession(reminding("Morning", allSessionWeekdays(), 7, 0, 300));
             scheduler.advance(0);
         },
         {"Work", "Evening"}},
        {"edit the name only",
         [&] { edit("Work", [](NimbrelSession& s) { s.name = "Office"; }); },
         {"Evening", "Morning"}},
        {"edit what reminders do not show",
         [&] { edit("Evening", [](NimbrelSession& s) { s.menuBarSymbolName = "moon"; }); },
         {"Office", "Evening", "Morning"}},
        {"edit the times",
         [&] {
             edit("Evening", [](NimbrelSession& s) {
                 s.scheduleStartTime = {21, 30};
                 s.scheduleEndTime = {23, 0};
             });
         },
         {"Office", "Morning"}},
        {"reminders off",
         [&] { edit("Office", [](NimbrelSession& s) { s.remindBeforeSession = false; }); },
         {"Evening", "Morning"}},
        {"reminders on",
         [&] { edit("Office", [](NimbrelSession& s) { s.remindBeforeSession = true; }); },
         {"Evening", "Morning"}},
        {"disable", [&] { edit("Morning", [](NimbrelSession& s) { s.isEnabled = false; }); }, {"Office", "Evening"}},
        {"delete",
         [&] {
             store->deleteSession(named("Evening").id);
             scheduler.advance(0);
         },
         {"Office"}},
        {"an edit under the global pause",
         [&] {
             setPause(true);
             edit("Quiet", [](NimbrelSession& s) { s.name = "Hush"; });
             setPause(false);
         },
         {"Office"}},
        {"a cloud merge",
         [&] {
             std::vector<NimbrelSession> merged = store->sessions().get();
             std::erase_if(merged, [](const NimbrelSession& s) { return s.name == "Morning"; });
             for (NimbrelSession& s : merged)
                 if (s.name == "Office") s.remindBeforeSessionSeconds = 900;
             merged.push_back(reminding("From elsewhere", {W::saturday}, 11, 0, 120));
             store->replaceSessionsFromCloud(merged);
             scheduler.advance(0);
         },
         {"Hush"}},
        {"a day later, when today's reminders fell due",
         [&] {
             scheduler.advance(86400);
             edit("Hush", [](NimbrelSession& s) { s.isPinned = true; });
         },
         {}},
        {"past the clock change",
         [&] {
             scheduler.advanceTo(*Calendar::current().date(2026, 3, 29, 12, 0));
             edit("Hush", [](NimbrelSession& s) { s.isPinned = false; });
         },
         {}},
        {"a request the platform refused",
         [&] {
             userNotifications.setAddError("Notifications are not allowed for this application");
             edit("Office", [](NimbrelSession& s) { s.scheduleStartTime = {8, 30}; });
             userNotifications.setAddError({});
             edit("Hush", [](NimbrelSession& s) { s.name = "Quiet"; });
         },
         {},
         2},
        {"in another time zone",
         [&] {
             setCurrentTimeZone(QTimeZone("America/New_York"));
             edit("Quiet", [](NimbrelSession& s) { s.name = "Hush"; });
             EXPECT_EQ(mondayReminder(), utc(30, 12, 15)); // 08:15 in New York
         },
         {}},
        // The store's tick remakes them all when the zone gives other local times, once.
        {"a tick in which nothing changed", tick, everyone, 0},
        {"back in Berlin, a tick later",
         [&] {
             setCurrentTimeZone(QTimeZone("Europe/Berlin"));
             tick();
             EXPECT_EQ(mondayReminder(), utc(30, 6, 15));
         },
         {}},
        {"to New York again, a tick later",
         [&] {
             setCurrentTimeZone(QTimeZone("America/New_York"));
             tick();
             EXPECT_EQ(mondayReminder(), utc(30, 12, 15));
         },
         {}},
        {"the same zone name with another offset",
         [&] {
             setCurrentTimeZone(QTimeZone("Nimbrel/Here", 3600, "Here", "HRE"));
             tick();
             setCurrentTimeZone(QTimeZone("Nimbrel/Here", -3 * 3600, "Here", "HRE"));
             tick();
         },
         {},
         2},
        {"the zone changes while notifications are denied",
         [&] {
             userNotifications.setAuthorizationGranted(false);
             setCurrentTimeZone(QTimeZone("Europe/Berlin"));
             tick();
             userNotifications.setAuthorizationGranted(true);
         },
         everyone, 1, false},
        {"allowed again, the next edit remakes them all",
         [&] { edit("Office", [](NimbrelSession& s) { s.isPinned = true; }); },
         {}},
        {"the zone changes and the clock is set back, in one tick",
         [&] {
             setCurrentTimeZone(QTimeZone("America/New_York"));
             clock.offset = -3600;
             tick();
         },
         {}},
    };
    ASSERT_EQ(pending(), madeAnew(store->sessions().get()));
    for (const Step& step : steps) {
        const qsizetype removed = userNotifications.removedIdentifiers().size();
        const size_t added = userNotifications.added().size();
        const size_t asked = userNotifications.authorizationRequests().size();
        step.run();
        if (step.asAnew)
            EXPECT_EQ(pending(), madeAnew(store->sessions().get())) << step.what;
        else
            EXPECT_NE(pending(), madeAnew(store->sessions().get())) << step.what;
        EXPECT_EQ(touched(step.untouched, removed, added), QStringList()) << step.what;
        EXPECT_EQ(userNotifications.authorizationRequests().size() - asked, step.refreshes) << step.what;
    }
    // Office on five days, Night and From elsewhere on one, eight weeks each.
    EXPECT_EQ(userNotifications.pendingNow().size(), 56u);
}

// Without the store: the clock moves on between two refreshes of one list.
using SessionReminderRefreshOverTime = RemindersAgainstAnew;

TEST_F(SessionReminderRefreshOverTime, AWeekWhoseStartTheClockSkipsIsMadeAnewAtEveryRefresh) {
    // Sundays at 02:30, a minute ahead; on the 29th the clock skips from 02:00 to 03:00. Refreshed
    // at 02:10 the week before, each later week's start is looked for after 03:10 on its Sunday.
    const std::vector<NimbrelSession> night = {reminding("Night", {W::sunday}, 2, 30, 60)};
    scheduler.advanceTo(*Calendar::current().date(2026, 3, 22, 1, 0));
    auto reminders = std::make_shared<NimbrelSessionReminderScheduler>(platform);
    reminders->rescheduleReminders(true, night);
    scheduler.advanceTo(*Calendar::current().date(2026, 3, 22, 2, 10));
    reminders->rescheduleReminders(true, night);
    scheduler.advance(0);
    EXPECT_EQ(pending(), madeAnew(night));
}

// Refreshed on a Wednesday, then the clock is set back three weeks and two days, to a Monday:
// the next refresh leaves pending what making them all then would, from Tuesday on.
TEST_F(SessionReminderRefreshOverTime, ARefreshAfterTheClockWasSetBackRemakesThemAll) {
    const std::vector<NimbrelSession> daily = {reminding("Daily", allSessionWeekdays(), 9, 0, 60)};
    clock.offset = 23 * 86400.0;
    auto reminders = std::make_shared<NimbrelSessionReminderScheduler>(platform);
    reminders->rescheduleReminders(true, daily);
    scheduler.advance(0);
    clock.offset = 0;
    reminders->rescheduleReminders(true, daily);
    scheduler.advance(0);
    EXPECT_EQ(pending(), madeAnew(daily));
}

} // namespace
} // namespace nimbrel::test
