#include "model/RuleCoding.h"
#include "model/RuleSchedule.h"
#include "platform/Calendar.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

namespace nimbrel {
namespace {

using W = NimbrelWeekday;

NimbrelRuleAvailability readAvailability(const QJsonArray& days) {
    const QJsonObject object{{"mode", "scheduled"}, {"activeDays", days}};
    return fromJson<NimbrelRuleAvailability>(json::Reader(object, json::DateForm::ISO8601));
}

TEST(WeekdaySets, ReadInAnyOrderWithRepeatsCollapsed) {
    EXPECT_EQ(readAvailability({"sunday", "monday", "monday"}).activeDays, (NimbrelWeekdaySet{W::sunday, W::monday}));
    EXPECT_TRUE(readAvailability({}).activeDays.empty());
    EXPECT_THROW(readAvailability({"Monday"}), json::DecodeError);
    EXPECT_THROW(readAvailability({"mon"}), json::DecodeError);
}

TEST(WeekdaySets, CalendarWeekdayNumbers) {
    const W expected[] = {W::sunday, W::monday, W::tuesday, W::wednesday, W::thursday, W::friday, W::saturday};
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(weekdayFromCalendarWeekday(n), expected[n - 1]) << n;
    for (std::int64_t n : {0LL, 8LL, -1LL, 1LL << 40})
        EXPECT_EQ(weekdayFromCalendarWeekday(n), W::monday) << n;
}

TEST(WeekdaySets, ShortNamesAndNamedSets) {
    EXPECT_EQ(shortName(W::monday), QStringLiteral("Mon"));
    EXPECT_EQ(shortName(W::sunday), QStringLiteral("Sun"));
    EXPECT_EQ(allWeekdays().size(), 7u);
    EXPECT_EQ(workWeekdays(), (NimbrelWeekdaySet{W::monday, W::tuesday, W::wednesday, W::thursday, W::friday}));
    EXPECT_EQ(weekendWeekdays(), (NimbrelWeekdaySet{W::saturday, W::sunday}));
}

class SummaryText : public ::testing::Test {
  protected:
    void SetUp() override {
        previousLocale_ = currentLocaleName();
        setCurrentLocaleName("en_US");
    }
    void TearDown() override { setCurrentLocaleName(previousLocale_); }

    static NimbrelRuleAvailability scheduled(NimbrelWeekdaySet days, std::optional<NimbrelClockTime> start = {},
                                             std::optional<NimbrelClockTime> end = {}) {
        return {NimbrelRuleAvailabilityMode::scheduled, std::move(days), start, end};
    }

  private:
    QByteArray previousLocale_;
};

TEST_F(SummaryText, DaysInWords) {
    EXPECT_EQ(NimbrelRuleAvailability::defaultAvailability().summaryText(), QStringLiteral("Always active"));
    EXPECT_EQ(scheduled(allWeekdays()).summaryText(), QStringLiteral("Active on Every day"));
    EXPECT_EQ(scheduled(weekendWeekdays()).summaryText(), QStringLiteral("Active on Weekends"));
    EXPECT_EQ(scheduled(workWeekdays()).summaryText(), QStringLiteral("Active on Weekdays"));
    EXPECT_EQ(scheduled({W::sunday, W::tuesday, W::monday}).summaryText(), QStringLiteral("Active on Mon, Tue, Sun"));
    EXPECT_EQ(scheduled({}).summaryText(), QStringLiteral("Active on "));
    // Only one of the two times: the days alone.
    EXPECT_EQ(scheduled({W::friday}, NimbrelClockTime{9, 0}).summaryText(), QStringLiteral("Active on Fri"));
}

TEST_F(SummaryText, WithBothTimes) {
    const auto schedule =
        scheduled({W::monday, W::wednesday, W::friday}, NimbrelClockTime{9, 5}, NimbrelClockTime{17, 30});
    const QString expected = QStringLiteral("Active Mon, Wed, Fri, ") + NimbrelClockTime{9, 5}.displayText() +
                             QChar(0x2013) + NimbrelClockTime{17, 30}.displayText();
    EXPECT_EQ(schedule.summaryText(), expected);
    EXPECT_TRUE(schedule.summaryText().contains(QStringLiteral("9:05")));
}

TEST_F(SummaryText, ClockTimeFollowsTheLocaleWithAFallbackForImpossibleTimes) {
    const QString morning = NimbrelClockTime{9, 5}.displayText();
    EXPECT_TRUE(morning.startsWith(QStringLiteral("9:05"))) << morning.toStdString();
    EXPECT_TRUE(morning.contains(QStringLiteral("AM"))) << morning.toStdString();
    setCurrentLocaleName("de_DE");
    EXPECT_EQ((NimbrelClockTime{17, 30}).displayText(), QStringLiteral("17:30"));
    EXPECT_EQ((NimbrelClockTime{25, 7}).displayText(), QStringLiteral("25:07"));
    EXPECT_EQ((NimbrelClockTime{-1, 70}).displayText(), QStringLiteral("-1:70"));
}

} // namespace
} // namespace nimbrel
