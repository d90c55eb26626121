#include "platform/Calendar.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "sessions/Session.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using enum NimbrelSessionWeekday;

class SessionSchedule : public ::testing::Test {
  protected:
    // 2026-03-09 is a Monday.
    Date at(int day, int hour, int minute) const { return *calendar.date(2026, 3, day, hour, minute); }
    void pause(bool on) { defaults.setBool(QStringLiteral("Nimbrel.globalPauseActive"), on); }

    Calendar calendar{QTimeZone("Europe/Berlin")};
    InMemoryUserDefaults defaults;
};

TEST_F(SessionSchedule, WindowsAndWeekdays) {
    const struct {
        NimbrelSessionClockTime start, end;
        NimbrelSessionWeekdays days;
        int day, hour, minute;
        bool active;
    } cases[] = {
        {{22, 0}, {6, 0}, {monday}, 9, 23, 30, true},
        {{22, 0}, {6, 0}, {monday}, 9, 1, 0, true}, // the early part of Monday counts as Monday's
        {{22, 0}, {6, 0}, {monday}, 10, 1, 0, false},
        {{22, 0}, {6, 0}, {monday}, 9, 6, 0, false},
        {{9, 0}, {9, 0}, {monday}, 9, 3, 17, true},
        {{9, 0}, {9, 0}, {monday}, 11, 12, 0, false},
        {{9, 0}, {17, 0}, {monday}, 9, 9, 0, true},
        {{9, 0}, {17, 0}, {monday}, 9, 16, 59, true},
        {{9, 0}, {17, 0}, {monday}, 9, 17, 0, false},
        {{9, 0}, {17, 0}, {monday}, 9, 8, 59, false},
        {{9, 0}, {17, 0}, {}, 9, 10, 0, false},
        {{9, 0}, {17, 0}, {sunday}, 15, 10, 0, true},
        {{25, 0}, {3, 0}, {monday}, 9, 2, 0, true}, // stored values out of range still compare
    };
    for (const auto& c : cases) {
        NimbrelSession s;
        s.scheduleStartTime = c.start;
        s.scheduleEndTime = c.end;
        s.scheduleWeekdays = c.days;
        EXPECT_EQ(s.isActiveNow(defaults, at(c.day, c.hour, c.minute), calendar), c.active)
            << c.start.hour << ":" << c.start.minute << "-" << c.end.hour << " on " << c.day << " at " << c.hour << ":"
            << c.minute;
    }
}

TEST_F(SessionSchedule, DisabledOrPausedSessionsAreNeverActive) {
    NimbrelSession s;
    s.scheduleStartTime = s.scheduleEndTime = {0, 0};
    EXPECT_TRUE(s.isActiveNow(defaults, at(9, 12, 0), calendar));
    pause(true);
    EXPECT_FALSE(s.isActiveNow(defaults, at(9, 12, 0), calendar));
    pause(false);
    s.isEnabled = false;
    EXPECT_FALSE(s.isActiveNow(defaults, at(9, 12, 0), calendar));
}

TEST_F(SessionSchedule, AllowedApplications) {
    NimbrelSession s;
    s.whitelistAllApps = false;
    s.allowedApps = {{Uuid::random(), "Safari", QStringLiteral("com.apple.Safari"), std::nullopt}};
    s.whitelistedApps = {{Uuid::random(), "Tool", std::nullopt, QStringLiteral("/Applications/Tools/../Tool.app")}};
    auto running = [](std::optional<QString> bundle, std::optional<QString> path) {
        RunningApplication a;
        a.pid = 900;
        a.bundleIdentifier = std::move(bundle);
        a.bundlePath = std::move(path);
        return a;
    };
    const struct {
        RunningApplication app;
        bool allowed;
    } cases[] = {
        {running(QStringLiteral("COM.APPLE.SAFARI"), {}), true},
        {running(QStringLiteral("com.other"), QStringLiteral("/Applications/Tool.app")), true},
        {running({}, QStringLiteral("/Applications/tool.app")), false}, // paths keep their case
        {running(QStringLiteral("com.apple.Notes"), QStringLiteral("/System/Applications/Notes.app")), false},
        {running({}, {}), false},
        {running(QStringLiteral("com.nimbrel.app"), {}), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.allows(c.app, defaults), c.allowed) << c.app.bundleIdentifier.value_or("-").toStdString() << " "
                                                        << c.app.bundlePath.value_or("-").toStdString();

    pause(true);
    EXPECT_TRUE(s.allows(cases[3].app, defaults));
    pause(false);
    s.whitelistAllApps = true;
    EXPECT_TRUE(s.allows(cases[3].app, defaults));
}

TEST_F(SessionSchedule, OrderIsPinnedFirstThenNameIgnoringCaseAndStable) {
    auto session = [](const char* name, bool pinned, int tag) {
        NimbrelSession s;
        s.name = QString::fromUtf8(name);
        s.isPinned = pinned;
        s.remindBeforeSessionSeconds = tag;
        return s;
    };
    std::vector<NimbrelSession> list{session("Beta", false, 1), session("alpha 2", false, 2), session("beta", true, 3),
                                     session("Alpha", false, 4), session("beta", false, 5)};
    sortSessions(list);
    std::vector<int> order;
    for (const auto& s : list)
        order.push_back(int(s.remindBeforeSessionSeconds));
    EXPECT_EQ(order, (std::vector<int>{3, 4, 2, 1, 5}));
}

} // namespace
} // namespace nimbrel
