#include "sessions/ReminderDates.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace nimbrel::test {
namespace {

// The next matching moment found from the first day's weekday is the one found by looking at
// every date, around daylight-saving changes (one at midnight, one ending at midnight, one of
// half an hour) and a day a zone left out of its calendar, which matches nothing: that week has
// no such moment. A skipped time is the moment its gap ends.
TEST(ReminderDates, TheWeekdayFoundAtOnceIsTheOneEveryDayWouldGive) {
    struct Around {
        const char* zone;
        int year, month, day;
    };
    const Around cases[] = {
        {"UTC", 2026, 3, 1},
        {"America/New_York", 2026, 3, 5},
        {"Europe/Berlin", 2026, 10, 22},
        {"America/Sao_Paulo", 2017, 10, 11}, // midnight skipped: the day starts at 01:00
        {"Asia/Dhaka", 2009, 6, 15},         // Friday 23:00 to midnight skipped
        {"Australia/Lord_Howe", 2026, 4, 1}, // half an hour back
        {"Pacific/Apia", 2011, 12, 26},      // Friday 30 December never happened there
    };
    const std::pair<int, int> times[] = {{0, 0}, {0, 30}, {2, 30}, {9, 0}, {23, 59}};
    int notFound = 0;
    for (const Around& around : cases) {
        SCOPED_TRACE(around.zone);
        const Calendar calendar{QTimeZone(around.zone)};
        ASSERT_TRUE(calendar.timeZone().isValid());
        const Date from = *calendar.date(around.year, around.month, around.day);
        // Every 5 h 17 min over ten days: each hour of the day, on both sides of the change.
        for (Date after = from; after < calendar.addingDays(from, 10); after = after.addingSeconds(5 * 3600 + 17 * 60))
            for (int weekday = 1; weekday <= 7; ++weekday)
                for (const auto& [hour, minute] : times) {
                    const std::optional<Date> atOnce = nextDateMatching(calendar, after, weekday, hour, minute);
                    if (!atOnce) {
                        EXPECT_STREQ(around.zone, "Pacific/Apia");
                        ++notFound;
                    }
                    ASSERT_EQ(atOnce, nextDateMatchingDayByDay(calendar, after, weekday, hour, minute))
                        << "after " << after.secondsSinceReferenceDate << " weekday " << weekday << " at " << hour
                        << ":" << minute;
                }
    }
    // Only where the next Friday is the day Apia left out.
    EXPECT_GT(notFound, 0);
    const Calendar apia{QTimeZone("Pacific/Apia")};
    EXPECT_EQ(nextDateMatching(apia, *apia.date(2011, 12, 29, 10), 6, 9, 0), std::nullopt);
    EXPECT_EQ(nextDateMatching(apia, *apia.date(2011, 12, 31, 10), 6, 9, 0), apia.date(2012, 1, 6, 9));
    const Calendar newYork{QTimeZone("America/New_York")}, dhaka{QTimeZone("Asia/Dhaka")};
    EXPECT_EQ(nextDateMatching(newYork, *newYork.date(2026, 3, 5), 1, 2, 30), newYork.date(2026, 3, 8, 3, 0));
    EXPECT_EQ(nextDateMatching(dhaka, *dhaka.date(2009, 6, 15), 6, 23, 30), dhaka.date(2009, 6, 20, 0, 0));
}

} // namespace
} // namespace nimbrel::test
