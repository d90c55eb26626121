#include "SessionsFixture.h"

#include "sessions/SessionReminderScheduler.h"

namespace nimbrel::test {
namespace {

using Scheduler = NimbrelSessionReminderScheduler;
using W = NimbrelSessionWeekday;

TEST(SessionReminderTexts, LeadTimes) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {120, "2 minutes"}, {90, "1 minute"}, {60, "1 minute"}, {59, "59 seconds"}, {1, "1 second"},
        {0, "0 seconds"},   {3600, "1 hour"}, {5400, "1 hour"}, {7200, "2 hours"},  {3599, "59 minutes"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(Scheduler::reminderLeadTimeText(seconds), text) << seconds;
}

// Answers the pending list as it was when asked, and only when the test says so: the order in
// which two reschedulings get their answers is the test's to choose.
class HeldPendingRequests final : public UserNotifications {
  public:
    explicit HeldPendingRequests(RecordingUserNotifications& inner) : inner_(inner) {}
    void requestAuthorization(unsigned options, AuthorizationCompletion completion) override {
        inner_.requestAuthorization(options, std::move(completion));
    }
    void add(const NotificationRequest& request, AddCompletion completion) override {
        inner_.add(request, std::move(completion));
    }
    void pendingRequests(PendingCompletion completion) override {
        held.push_back([completion, pending = inner_.pendingNow()] { completion(pending); });
    }
    void removePendingRequests(const QStringList& identifiers) override { inner_.removePendingRequests(identifiers); }
    std::vector<std::function<void()>> held;

  private:
    RecordingUserNotifications& inner_;
};

class SessionRemindersTest : public SessionsFixture {
  protected:
    SessionRemindersTest() {
        // Friday 2026-03-27 08:59 in Berlin; clocks go forward on Sunday the 29th.
        scheduler.advanceTo(*Calendar::current().date(2026, 3, 27, 8, 59));
        work.id = *Uuid::parse("6A2F41A0-7B8C-4D2E-9F10-112233445566");
        work.name = "Work";
        work.scheduleWeekdays = {W::monday, W::tuesday, W::wednesday, W::thursday, W::friday};
        work.whitelistAllApps = false;
    }
    QString id(int weekday, int week) const {
        return QStringLiteral("nimbrel.session.reminder.6A2F41A0-7B8C-4D2E-9F10-112233445566.%1.%2")
            .arg(weekday)
            .arg(week);
    }
    std::map<QString, NotificationRequest> pending() const {
        std::map<QString, NotificationRequest> out;
        for (const NotificationRequest& r : userNotifications.pendingNow())
            out[r.identifier] = r;
        return out;
    }
    static Date utc(int month, int day, int hour, int minute) {
        return *Calendar(QTimeZone("UTC")).date(2026, month, day, hour, minute);
    }

    std::shared_ptr<Scheduler> reminders = std::make_shared<Scheduler>(platform);
    NimbrelSession work;
};

TEST_F(SessionRemindersTest, AWeekdaySessionGetsEightWeeksOfRemindersAcrossTheWeekendAndTheClockChange) {
    reminders->refreshReminders({work});
    scheduler.advance(0);
    const auto requests = pending();
    EXPECT_EQ(requests.size(), 39u); // today's 08:58 has passed
    EXPECT_EQ(requests.count(id(6, 0)), 0u);
    const std::pair<QString, Date> expected[] = {
        {id(2, 0), utc(3, 30, 6, 58)},                               // Monday after the clock change: 08:58 summer time
        {id(5, 0), utc(4, 2, 6, 58)},  {id(6, 1), utc(4, 3, 6, 58)}, // next Friday, not the one after
        {id(6, 7), utc(5, 15, 6, 58)}, {id(2, 7), utc(5, 18, 6, 58)},
    };
    for (const auto& [identifier, trigger] : expected) {
        ASSERT_EQ(requests.count(identifier), 1u) << identifier.toStdString();
        const NotificationRequest& r = requests.at(identifier);
        EXPECT_EQ(r.triggerDate, trigger) << identifier.toStdString();
        EXPECT_EQ(r.title, "Work starts soon");
        EXPECT_EQ(r.body, "The Work session begins in 2 minutes. Save your work \u2014 apps not in your whitelist "
                          "will be closed.");
        EXPECT_TRUE(r.sound);
    }
    EXPECT_EQ(userNotifications.authorizationRequests(), std::vector<unsigned>{NotificationAlert | NotificationSound});
}

TEST_F(SessionRemindersTest, TheTriggerDropsTheSecondsAndASessionStartingNowSkipsThisWeek) {
    work.scheduleWeekdays = {W::friday};
    work.scheduleStartTime = {10, 0};
    work.remindBeforeSessionSeconds = 90;
    work.whitelistAllApps = true;
    reminders->rescheduleReminders(true, {work});
    scheduler.advance(0);
    ASSERT_EQ(pending().count(id(6, 0)), 1u);
    EXPECT_EQ(pending().at(id(6, 0)).triggerDate, utc(3, 27, 8, 58)); // 09:58:30 fires at 09:58
    EXPECT_EQ(pending().at(id(6, 0)).body, "The Work session begins in 1 minute. All apps are whitelisted.");

    work.remindBeforeSessionSeconds = 0;
    scheduler.advanceTo(*Calendar::current().date(2026, 3, 27, 10, 0));
    reminders->rescheduleReminders(true, {work});
    scheduler.advance(0);
    EXPECT_EQ(pending().count(id(6, 0)), 0u);
    EXPECT_EQ(pending().size(), 7u);
}

TEST_F(SessionRemindersTest, ASessionThatStartedEarlierTodayIsRemindedEachOfTheNextEightWeeks) {
    // 08:00 on Fridays, rescheduled at 08:59 on a Friday: each week's next start is seven days on.
    // In Apia, Friday 30 December 2011 never happened: that week has no reminder (none on the
    // Saturday, when the session does not start), the weeks around it have theirs.
    const struct {
        const char* zone;
        QDate friday;
        const char* triggers[8]; // by week; none where the week has no reminder
    } cases[] = {
        {"Europe/Berlin",
         {2026, 3, 27},
         {"2026-04-03T05:58:00Z", "2026-04-10T05:58:00Z", "2026-04-17T05:58:00Z", "2026-04-24T05:58:00Z",
          "2026-05-01T05:58:00Z", "2026-05-08T05:58:00Z", "2026-05-15T05:58:00Z", "2026-05-22T05:58:00Z"}},
        {"Pacific/Apia", // 08:00 at UTC-10, then at UTC+14
         {2011, 12, 16},
         {"2011-12-23T17:58:00Z", nullptr, "2012-01-05T17:58:00Z", "2012-01-12T17:58:00Z", "2012-01-19T17:58:00Z",
          "2012-01-26T17:58:00Z", "2012-02-02T17:58:00Z", "2012-02-09T17:58:00Z"}},
    };
    work.scheduleWeekdays = {W::friday};
    work.scheduleStartTime = {8, 0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        setCurrentTimeZone(QTimeZone(c.zone));
        // The Mac's clock set to the row's Friday; the centre delivers by that clock too.
        clock.offset = Calendar::current()
                           .date(c.friday.year(), c.friday.month(), c.friday.day(), 8, 59)
                           ->secondsSince(scheduler.now());
        RecordingUserNotifications center(scheduler, clock);
        platform.userNotifications = &center;
        const auto rowReminders = std::make_shared<Scheduler>(platform);
        rowReminders->rescheduleReminders(true, {work});
        scheduler.advance(0);
        std::map<QString, QString> expected;
        for (int week = 0; week < 8; ++week)
            if (c.triggers[week]) expected[id(6, week)] = c.triggers[week];
        std::map<QString, QString> made;
        for (const NotificationRequest& request : center.pendingNow())
            made[request.identifier] = iso8601String(request.triggerDate.value_or(Date{}));
        EXPECT_EQ(made, expected);
        platform.userNotifications = &userNotifications;
    }
}

TEST_F(SessionRemindersTest, ReschedulingReplacesOnlyOurOwnAndNeedsThePermission) {
    userNotifications.add({"Nimbrel.Activity.1", "Activity", "", false, utc(5, 1, 0, 0), {}});
    reminders->refreshReminders({work});
    scheduler.advance(0);
    EXPECT_EQ(pending().size(), 40u);

    userNotifications.setAuthorizationGranted(false);
    reminders->refreshReminders({});
    scheduler.advance(0);
    EXPECT_EQ(pending().size(), 40u);

    userNotifications.setAuthorizationGranted(true);
    work.remindBeforeSession = false;
    reminders->refreshReminders({work});
    scheduler.advance(0);
    EXPECT_EQ(pending().size(), 1u);
    EXPECT_EQ(pending().begin()->first, "Nimbrel.Activity.1");
}

TEST_F(SessionRemindersTest, AnOlderReschedulingDropsItsWorkWhenANewerOneStarted) {
    HeldPendingRequests held(userNotifications);
    platform.userNotifications = &held;
    reminders->rescheduleReminders(true, {work});
    reminders->rescheduleReminders(true, {});
    ASSERT_EQ(held.held.size(), 2u);
    held.held[1](); // the newer one is answered first
    held.held[0]();
    EXPECT_TRUE(pending().empty());
}

TEST_F(SessionRemindersTest, AddFailuresArePrintedOnePerRequest) {
    work.scheduleWeekdays = {W::monday};
    userNotifications.setAddError("Notifications are not allowed for this application");
    reminders->rescheduleReminders(true, {work});
    scheduler.advance(0);
    const QStringList failures = log.startingWith("NimbrelSessionReminderScheduler: failed to schedule ");
    EXPECT_EQ(failures.size(), 8);
    EXPECT_EQ(failures.front(), "NimbrelSessionReminderScheduler: failed to schedule " + id(2, 0) +
                                    ": Notifications are not allowed for this application");
}

} // namespace
} // namespace nimbrel::test
