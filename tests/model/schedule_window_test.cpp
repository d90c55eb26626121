#include "model/DailyWindow.h"
#include "model/RuleSchedule.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <limits>

namespace nimbrel {
namespace {

constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
constexpr auto kMin = std::numeric_limits<std::int64_t>::min();

class ScheduleWindow : public ::testing::Test {
  protected:
    // 2026-12-07 is a Monday.
    Date monday(int hour, int minute, int second = 0) const {
        return *calendar.date(2026, 12, 7, hour, minute, second);
    }
    Date tuesday(int hour, int minute) const { return *calendar.date(2026, 12, 8, hour, minute); }

    static NimbrelRuleAvailability window(NimbrelClockTime start, NimbrelClockTime end,
                                          NimbrelWeekdaySet days = allWeekdays()) {
        return {NimbrelRuleAvailabilityMode::scheduled, std::move(days), start, end};
    }

    Calendar calendar{QTimeZone(QByteArrayLiteral("Europe/Berlin"))};
    InMemoryUserDefaults defaults;
};

TEST_F(ScheduleWindow, DaytimeWindowEdges) {
    const auto schedule = window({9, 0}, {17, 0});
    EXPECT_FALSE(schedule.isActive(monday(8, 59, 59), calendar, defaults));
    EXPECT_TRUE(schedule.isActive(monday(9, 0), calendar, defaults));
    EXPECT_TRUE(schedule.isActive(monday(16, 59, 59), calendar, defaults));
    EXPECT_FALSE(schedule.isActive(monday(17, 0), calendar, defaults));
}

TEST_F(ScheduleWindow, OvernightWindowWrapsPastMidnight) {
    const auto schedule = window({22, 0}, {6, 0});
    EXPECT_TRUE(schedule.isActive(monday(23, 30), calendar, defaults));
    EXPECT_TRUE(schedule.isActive(monday(0, 0), calendar, defaults));
    EXPECT_TRUE(schedule.isActive(monday(5, 59), calendar, defaults));
    EXPECT_FALSE(schedule.isActive(monday(6, 0), calendar, defaults));
    EXPECT_FALSE(schedule.isActive(monday(21, 59), calendar, defaults));
    EXPECT_TRUE(schedule.isActive(monday(22, 0), calendar, defaults));
}

TEST_F(ScheduleWindow, AfterMidnightPartChecksTheNewDay) {
    const auto mondayOnly = window({22, 0}, {2, 0}, {NimbrelWeekday::monday});
    EXPECT_TRUE(mondayOnly.isActive(monday(23, 0), calendar, defaults));
    EXPECT_TRUE(mondayOnly.isActive(monday(1, 0), calendar, defaults));
    EXPECT_FALSE(mondayOnly.isActive(tuesday(1, 0), calendar, defaults));
}

TEST_F(ScheduleWindow, EqualStartAndEndOrAMissingEndIsTheWholeDay) {
    const auto allDay = window({8, 0}, {8, 0}, {NimbrelWeekday::monday});
    for (int hour : {0, 7, 8, 23})
        EXPECT_TRUE(allDay.isActive(monday(hour, 59), calendar, defaults));
    EXPECT_FALSE(allDay.isActive(tuesday(8, 0), calendar, defaults));

    NimbrelRuleAvailability startOnly = window({8, 0}, {9, 0});
    startOnly.endTime.reset();
    EXPECT_TRUE(startOnly.isActive(monday(3, 0), calendar, defaults));
    NimbrelRuleAvailability endOnly = window({8, 0}, {9, 0});
    endOnly.startTime.reset();
    EXPECT_TRUE(endOnly.isActive(monday(23, 0), calendar, defaults));
}

TEST_F(ScheduleWindow, DaysDecideFirstAndAlwaysIgnoresThem) {
    NimbrelRuleAvailability noDays{NimbrelRuleAvailabilityMode::scheduled, {}, std::nullopt, std::nullopt};
    EXPECT_FALSE(noDays.isActive(monday(12, 0), calendar, defaults));
    noDays.mode = NimbrelRuleAvailabilityMode::always;
    noDays.startTime = NimbrelClockTime{1, 0};
    noDays.endTime = NimbrelClockTime{2, 0};
    EXPECT_TRUE(noDays.isActive(monday(12, 0), calendar, defaults));
}

TEST_F(ScheduleWindow, TheDayIsTheCalendarsOwn) {
    // 23:30 on Monday in Berlin is 22:30 UTC, still Monday; 00:30 on Tuesday in Berlin is Monday in UTC.
    const auto mondays = window({0, 0}, {0, 0}, {NimbrelWeekday::monday});
    const Calendar utc{QTimeZone(QByteArrayLiteral("UTC"))};
    const Date tuesdayEarly = tuesday(0, 30);
    EXPECT_FALSE(mondays.isActive(tuesdayEarly, calendar, defaults));
    EXPECT_TRUE(mondays.isActive(tuesdayEarly, utc, defaults));
}

TEST_F(ScheduleWindow, GlobalPauseIsReadAfreshOnEveryCheck) {
    const auto always = NimbrelRuleAvailability::defaultAvailability();
    EXPECT_TRUE(always.isActive(monday(12, 0), calendar, defaults));
    defaults.setBool(kGlobalPauseActiveKey, true);
    EXPECT_FALSE(always.isActive(monday(12, 0), calendar, defaults));
    defaults.setBool(kGlobalPauseActiveKey, false);
    EXPECT_TRUE(always.isActive(monday(12, 0), calendar, defaults));
    // A value of another type is not a pause.
    defaults.setString(kGlobalPauseActiveKey, QStringLiteral("true"));
    EXPECT_TRUE(always.isActive(monday(12, 0), calendar, defaults));
}

TEST_F(ScheduleWindow, InstalledPlatformsDefaultsAreUsedWithoutArgument) {
    Platform platform;
    platform.defaults = &defaults;
    ScopedPlatform scoped(platform);
    const auto always = NimbrelRuleAvailability::defaultAvailability();
    EXPECT_TRUE(always.isActive(monday(12, 0), calendar));
    defaults.setBool(kGlobalPauseActiveKey, true);
    EXPECT_FALSE(always.isActive(monday(12, 0), calendar));
}

TEST_F(ScheduleWindow, OutOfRangeTimesNeverOverflow) {
    // Stored values are not clamped; the window rule still gives an answer for each.
    const auto huge = window({kMax, kMax}, {kMin, kMin});
    // Start saturates high and end low: a wrapped window that no minute of a day reaches.
    EXPECT_FALSE(huge.isActive(monday(12, 0), calendar, defaults));
    EXPECT_TRUE(window({kMin, 0}, {kMax, 0}).isActive(monday(12, 0), calendar, defaults));
    EXPECT_EQ((NimbrelClockTime{kMax, kMax}).minutesSinceMidnight(), kMax);
    EXPECT_EQ((NimbrelClockTime{kMin, kMin}).minutesSinceMidnight(), kMin);
    EXPECT_EQ((NimbrelClockTime{25, 0}).minutesSinceMidnight(), 1500);
    EXPECT_EQ((NimbrelClockTime{0, -30}).minutesSinceMidnight(), -30);

    // 25:00 lies past every minute of a day: a window from 09:00 to 25:00 is open from 09:00 on.
    const auto lateEnd = window({9, 0}, {25, 0});
    EXPECT_FALSE(lateEnd.isActive(monday(8, 0), calendar, defaults));
    EXPECT_TRUE(lateEnd.isActive(monday(23, 59), calendar, defaults));
}

TEST(DailyWindowRule, SharedRuleOnMinutes) {
    EXPECT_TRUE(isWithinDailyWindow(0, 480, 480));
    EXPECT_TRUE(isWithinDailyWindow(540, 540, 1020));
    EXPECT_FALSE(isWithinDailyWindow(1020, 540, 1020));
    EXPECT_TRUE(isWithinDailyWindow(1439, 1320, 360));
    EXPECT_TRUE(isWithinDailyWindow(0, 1320, 360));
    EXPECT_FALSE(isWithinDailyWindow(360, 1320, 360));
    EXPECT_FALSE(isWithinDailyWindow(1319, 1320, 360));
}

TEST(DailyWindowRule, MinutesSaturateInsteadOfOverflowing) {
    EXPECT_EQ(minutesSinceMidnight(23, 59), 1439);
    EXPECT_EQ(minutesSinceMidnight(kMax / 60 + 1, 0), kMax);
    EXPECT_EQ(minutesSinceMidnight(kMin / 60 - 1, 0), kMin);
    EXPECT_EQ(minutesSinceMidnight(kMax / 60, kMax), kMax);
    EXPECT_EQ(minutesSinceMidnight(0, kMin), kMin);
    EXPECT_EQ(minutesSinceMidnight(-1, kMin), kMin);
}

} // namespace
} // namespace nimbrel
