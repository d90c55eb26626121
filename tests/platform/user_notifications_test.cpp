#include "platform/RecordingUserNotifications.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/DesktopUserNotifications.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

NotificationRequest request(const QString& id, std::optional<Date> at = std::nullopt) {
    NotificationRequest r;
    r.identifier = id;
    r.title = id + " title";
    r.body = "body";
    r.sound = true;
    r.triggerDate = at;
    return r;
}

QStringList identifiers(const std::vector<NotificationRequest>& requests) {
    QStringList out;
    for (const auto& r : requests)
        out << r.identifier;
    return out;
}

class UserNotificationsTest : public ::testing::Test {
  protected:
    VirtualScheduler scheduler{Date{1000}};
    RecordingUserNotifications center{scheduler, scheduler};
};

} // namespace

TEST_F(UserNotificationsTest, AuthorizationAnswersLaterThroughTheScheduler) {
    std::optional<bool> answer;
    center.requestAuthorization(NotificationAlert | NotificationSound, [&](bool granted, std::optional<QString> error) {
        answer = granted;
        EXPECT_FALSE(error);
    });
    EXPECT_FALSE(answer); // never from inside the call
    scheduler.runUntilIdle();
    EXPECT_EQ(answer, true);
    ASSERT_EQ(center.authorizationRequests().size(), 1u);
    EXPECT_EQ(center.authorizationRequests()[0], unsigned(NotificationAlert | NotificationSound));

    center.setAuthorizationGranted(false);
    center.requestAuthorization(NotificationAlert, [&](bool granted, std::optional<QString>) { answer = granted; });
    scheduler.runUntilIdle();
    EXPECT_EQ(answer, false);
}

TEST_F(UserNotificationsTest, RequestsWaitForTheirDateThenAreDelivered) {
    center.add(request("later", Date{1060}));
    center.add(request("now"));
    center.add(request("soon", Date{1010}));
    EXPECT_EQ(identifiers(center.pendingNow()), (QStringList{"later", "now", "soon"}));

    scheduler.runUntilIdle();
    EXPECT_EQ(identifiers(center.delivered()), QStringList{"now"});
    scheduler.advance(10);
    EXPECT_EQ(identifiers(center.delivered()), (QStringList{"now", "soon"}));
    EXPECT_EQ(identifiers(center.pendingNow()), QStringList{"later"});

    std::vector<NotificationRequest> pending;
    center.pendingRequests([&](std::vector<NotificationRequest> p) { pending = std::move(p); });
    scheduler.runUntilIdle();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0], request("later", Date{1060}));

    scheduler.advance(100);
    EXPECT_TRUE(center.pendingNow().empty());
    EXPECT_EQ(center.delivered().back().title, "later title");
}

TEST_F(UserNotificationsTest, SameIdentifierReplacesAndRemovalCancels) {
    center.add(request("a", Date{1100}));
    center.add(request("b", Date{1100}));
    NotificationRequest replacement = request("a", Date{1200});
    replacement.title = "replaced";
    center.add(replacement);
    EXPECT_EQ(identifiers(center.pendingNow()), (QStringList{"b", "a"}));

    center.removePendingRequests({"b", "unknown"});
    EXPECT_EQ(center.removedIdentifiers(), QStringList{"b"});
    scheduler.advance(150); // past the first date of "a" and the date of "b"
    EXPECT_TRUE(center.delivered().empty());
    scheduler.advance(100);
    ASSERT_EQ(center.delivered().size(), 1u);
    EXPECT_EQ(center.delivered()[0].title, "replaced");
    EXPECT_EQ(center.added().size(), 3u);
}

TEST_F(UserNotificationsTest, FailedAddsReportTheirErrorAndStayOut) {
    center.setAddError("The operation couldn't be completed.");
    std::optional<QString> error;
    bool called = false;
    center.add(request("x", Date{1100}), [&](std::optional<QString> e) {
        called = true;
        error = e;
    });
    EXPECT_FALSE(called);
    scheduler.runUntilIdle();
    EXPECT_TRUE(called);
    EXPECT_EQ(error, QString("The operation couldn't be completed."));
    EXPECT_TRUE(center.pendingNow().empty());

    center.setAddError({});
    center.add(request(""), [&](std::optional<QString> e) { error = e; });
    scheduler.runUntilIdle();
    EXPECT_TRUE(error.has_value()); // no identifier
    center.add(request("ok"), [&](std::optional<QString> e) { error = e; });
    scheduler.runUntilIdle();
    EXPECT_FALSE(error.has_value());
}

TEST_F(UserNotificationsTest, NothingIsDeliveredAfterTheCenterIsGone) {
    bool answered = false;
    {
        RecordingUserNotifications shortLived(scheduler, scheduler);
        shortLived.add(request("x", Date{1001}));
        shortLived.pendingRequests([&](std::vector<NotificationRequest>) { answered = true; });
    }
    scheduler.advance(5); // would crash on a dangling center
    EXPECT_FALSE(answered);
}

TEST(DesktopUserNotifications, TextsCannotChangeTheCall) {
    EXPECT_EQ(DesktopUserNotifications::variantString("plain"), "\"plain\"");
    EXPECT_EQ(DesktopUserNotifications::variantString("say \"hi\" \\ there"), "\"say \\\"hi\\\" \\\\ there\"");
    EXPECT_EQ(DesktopUserNotifications::variantString("two\nlines"), "\"two\\u000alines\"");
    EXPECT_EQ(DesktopUserNotifications::variantString(QString::fromUtf8("Café — ok")),
              QString::fromUtf8("\"Café — ok\""));

    NotificationRequest r = request("id");
    r.title = "\" , 1) ; rm -rf ~";
    const QStringList args = DesktopUserNotifications::notifyArguments(r);
    EXPECT_EQ(args.size(), 16);
    EXPECT_EQ(args[11], "\"\\\" , 1) ; rm -rf ~\"");
    EXPECT_EQ(args[12], "\"body\"");
}

TEST_F(UserNotificationsTest, ANotDeterminedPermissionWaitsForThePromptsAnswer) {
    using Authorization = RecordingUserNotifications::Authorization;
    std::vector<bool> answers;
    auto ask = [&] {
        center.requestAuthorization(NotificationAlert, [&](bool g, std::optional<QString>) { answers.push_back(g); });
    };
    center.setAuthorization(Authorization::notDetermined);
    ask();
    ask();
    scheduler.advance(60);
    EXPECT_TRUE(answers.empty()) << "the prompt is open";
    EXPECT_EQ(center.requestsWaitingForPrompt(), 2u);
    center.answerPrompt(false);
    EXPECT_TRUE(answers.empty()) << "answers come later, never from inside the call";
    scheduler.runUntilIdle();
    EXPECT_EQ(answers, (std::vector<bool>{false, false}));
    ask();
    scheduler.runUntilIdle();
    EXPECT_EQ(answers.back(), false) << "the answer stands for later requests";
    EXPECT_EQ(center.authorization(), Authorization::denied);
}

TEST_F(UserNotificationsTest, CompletionsCanComeLate) {
    center.setCompletionDelay(0.5);
    std::vector<QString> seen;
    center.requestAuthorization(NotificationAlert, [&](bool, std::optional<QString>) { seen.push_back("auth"); });
    center.add(request("a"), [&](std::optional<QString>) { seen.push_back("add"); });
    center.pendingRequests([&](std::vector<NotificationRequest>) { seen.push_back("pending"); });
    scheduler.advance(0.4);
    EXPECT_TRUE(seen.empty());
    scheduler.advance(0.1);
    EXPECT_EQ(seen, (std::vector<QString>{"auth", "add", "pending"}));
}

// However many requests wait, the center waits on one piece of scheduled work: the earliest.
TEST_F(UserNotificationsTest, ManyPendingRequestsWaitOnOneTimerAndComeInDateOrder) {
    for (int i = 1000; i > 0; --i)
        center.add(request(QString::number(i), Date{1000.0 + i}));
    center.add(request("same time as 3", Date{1003}));
    scheduler.runUntilIdle();
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    EXPECT_EQ(scheduler.nextDueIn(), 1.0);

    // Taking away the earliest and replacing one by an earlier date.
    center.removePendingRequests({"1"});
    center.add(request("500", Date{1001.5}));
    scheduler.advance(3);
    EXPECT_EQ(identifiers(center.delivered()), (QStringList{"500", "2", "3", "same time as 3"}));
    EXPECT_EQ(scheduler.pendingCount(), 1u);

    // A date already past is delivered on the next turn, ahead of the waiting ones.
    center.add(request("late", Date{900}));
    scheduler.runUntilIdle();
    EXPECT_EQ(center.delivered().back().identifier, "late");

    // A sleep delays the wait (timers count time awake); what fell due meanwhile then comes in date order.
    scheduler.sleep(10);
    scheduler.runUntilIdle();
    EXPECT_EQ(center.delivered().size(), 5u);
    scheduler.advance(1);
    EXPECT_EQ(identifiers(center.delivered()).mid(5),
              (QStringList{"4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}));
}
