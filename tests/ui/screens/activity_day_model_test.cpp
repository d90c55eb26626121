#include "platform/Calendar.h"
#include "ui/screens/ActivityDayModel.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

Date utc(int year, int month, int day, int hour) {
    return *Calendar(QTimeZone::utc()).date(year, month, day, hour);
}

NimbrelActivityEntry entry(const char* title, Date date) {
    return {Uuid::random(), NimbrelActivityType::info, QString::fromLatin1(title), {}, date};
}

TEST(ActivityDayModel, ThirtyDaysEndingTodayWithCountsAndTheSelectedDayNewestFirst) {
    const QTimeZone zone("Europe/Berlin");
    const Date now = utc(2027, 3, 28, 12); // the day clocks go forward there
    const std::vector<NimbrelActivityEntry> entries{
        entry("older", utc(2027, 3, 28, 8)),      entry("newest", utc(2027, 3, 28, 11)),
        entry("too old", utc(2027, 2, 26, 12)),   entry("first day", utc(2027, 2, 27, 0)),
        entry("yesterday", utc(2027, 3, 27, 22)), // 23:00 local
    };
    const ActivityDayModel model = buildActivityDayModel(entries, now, QDate(2027, 3, 28), zone);
    ASSERT_EQ(model.days.size(), 30u);
    EXPECT_EQ(model.days.front().date, QDate(2027, 2, 27));
    EXPECT_EQ(model.days.back().date, QDate(2027, 3, 28));
    EXPECT_EQ(model.days.back().count, 2);
    EXPECT_EQ(model.days[28].count, 1);
    EXPECT_EQ(model.days.front().count, 1);
    EXPECT_EQ(model.selectedIndex(), 29);
    ASSERT_EQ(model.selectedEntries.size(), 2u);
    EXPECT_EQ(model.selectedEntries[0].title, "newest");
    EXPECT_EQ(model.selectedEntries[1].title, "older");
}

// A day ends exactly where the next begins, at its midnight, also on a day of 23 hours.
TEST(ActivityDayModel, ADayEndsExactlyAtTheNextMidnight) {
    const QTimeZone zone("Europe/Berlin");
    const Calendar berlin(zone);
    auto local = [&](int day, int hour, int minute, int second) {
        return *berlin.date(2027, 3, day, hour, minute, second);
    };
    const std::vector<NimbrelActivityEntry> entries{
        entry("27th, last second", local(27, 23, 59, 59)), entry("28th, midnight", local(28, 0, 0, 0)),
        entry("28th, last second", local(28, 23, 59, 59)), entry("29th, midnight", local(29, 0, 0, 0))};
    const std::pair<QDate, QStringList> cases[] = {
        {QDate(2027, 3, 27), {"27th, last second"}},
        {QDate(2027, 3, 28), {"28th, last second", "28th, midnight"}},
    };
    for (const auto& [selected, titles] : cases) {
        const ActivityDayModel model = buildActivityDayModel(entries, utc(2027, 3, 28, 12), selected, zone);
        QStringList shown;
        for (const NimbrelActivityEntry& e : model.selectedEntries)
            shown << e.title;
        EXPECT_EQ(shown, titles);
        EXPECT_EQ(model.days[28].count, 1);
        EXPECT_EQ(model.days[29].count, 2) << "the next day's midnight is not today's";
    }
}

// The selected cell and its list name the same calendar day whatever zone was current when
// the day was chosen.
TEST(ActivityDayModel, AfterATimeZoneChangeTheSelectedCellAndTheListAgree) {
    const std::vector<NimbrelActivityEntry> entries{entry("morning", utc(2027, 1, 15, 10)),
                                                    entry("evening", utc(2027, 1, 15, 20))};
    const Date now = utc(2027, 1, 16, 0);
    const struct {
        const char* zone;
        int selectedIndex;
        size_t entriesOfJanuary15;
    } cases[] = {{"America/New_York", 29, 2}, {"Asia/Tokyo", 28, 1}, {"UTC", 28, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        const ActivityDayModel model = buildActivityDayModel(entries, now, QDate(2027, 1, 15), QTimeZone(c.zone));
        ASSERT_EQ(model.selectedIndex(), c.selectedIndex);
        EXPECT_EQ(model.selectedEntries.size(), c.entriesOfJanuary15);
        EXPECT_EQ(size_t(model.days[size_t(c.selectedIndex)].count), model.selectedEntries.size());
    }
}

TEST(ActivityDayModel, TitlesAndBadges) {
    setCurrentLocaleName("en_US");
    const QDate today(2027, 1, 15);
    EXPECT_EQ(activityDayTitle(today, today), "Today");
    EXPECT_EQ(activityDayTitle(today.addDays(-1), today), "Yesterday");
    EXPECT_EQ(activityDayTitle(today.addDays(-2), today), "Wednesday");
    EXPECT_EQ(shortWeekdayName(today), "Fri");
    EXPECT_EQ(activityDayIdentifier(today), "2027-01-15");
    const std::pair<int, const char*> badges[] = {{0, ""}, {1, "1"}, {8, "8"}, {9, "9"}, {12, "9"}, {200, "9"}};
    for (const auto& [count, text] : badges)
        EXPECT_EQ(activityBadgeText(count), QString::fromLatin1(text)) << count;
    setCurrentLocaleName({});
}

} // namespace
} // namespace nimbrel
