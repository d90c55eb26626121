#include "platform/Calendar.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>

using namespace nimbrel;

namespace {

QTimeZone zone(const char* id) {
    QTimeZone z(id);
    EXPECT_TRUE(z.isValid()) << id;
    return z;
}

// 2026-01-05 15:04:00 UTC, a Monday.
const Date kJan5 = Date::fromUnix(1767625440);

class CurrentLocaleGuard {
  public:
    CurrentLocaleGuard() : locale_(currentLocaleName()) {}
    ~CurrentLocaleGuard() {
        setCurrentLocaleName({});
        setCurrentTimeZone(QTimeZone());
    }

  private:
    QByteArray locale_;
};

} // namespace

TEST(Calendar, ComponentsFollowTheZone) {
    const Calendar utc(QTimeZone::utc());
    const DateComponents u = utc.components(kJan5);
    EXPECT_EQ(u.year, 2026);
    EXPECT_EQ(u.month, 1);
    EXPECT_EQ(u.day, 5);
    EXPECT_EQ(u.weekday, 2); // Monday
    EXPECT_EQ(u.hour, 15);
    EXPECT_EQ(u.minute, 4);
    EXPECT_EQ(u.second, 0);

    // The same moment is already Tuesday in Tokyo and still Monday morning in Los Angeles.
    const DateComponents tokyo = Calendar(zone("Asia/Tokyo")).components(kJan5);
    EXPECT_EQ(tokyo.day, 6);
    EXPECT_EQ(tokyo.weekday, 3);
    EXPECT_EQ(tokyo.hour, 0);
    const DateComponents la = Calendar(zone("America/Los_Angeles")).components(kJan5);
    EXPECT_EQ(la.day, 5);
    EXPECT_EQ(la.hour, 7);

    // Sunday is 1 and Saturday 7.
    EXPECT_EQ(utc.components(Date::fromUnix(1767484800)).weekday, 1); // 2026-01-04 Sunday
    EXPECT_EQ(utc.components(Date::fromUnix(1767398400)).weekday, 7); // 2026-01-03 Saturday
}

TEST(Calendar, FractionalSecondsStayInTheirSecond) {
    const Calendar utc(QTimeZone::utc());
    const DateComponents before = utc.components(Date::fromUnix(1767484799.9999));
    EXPECT_EQ(before.day, 3);
    EXPECT_EQ(before.hour, 23);
    EXPECT_EQ(before.second, 59);
    EXPECT_EQ(utc.components(Date::fromUnix(-0.5)).year, 1969);
}

TEST(Calendar, DistantDatesHaveTheirYears) {
    const Calendar utc(QTimeZone::utc());
    const DateComponents future = utc.components(Date{63113904000.0}); // 4001-01-01
    EXPECT_EQ(future.year, 4001);
    EXPECT_EQ(future.month, 1);
    EXPECT_EQ(future.day, 1);
    EXPECT_EQ(utc.components(Date{-63113904000.0}).year, 1); // 0001-01-01
    EXPECT_EQ(utc.components(Date{-63113904000.0}).day, 1);
}

TEST(Calendar, StartOfDayAndAddingDaysAcrossDaylightSaving) {
    const Calendar berlin(zone("Europe/Berlin"));
    // 2026-03-29 is 23 hours long in Berlin (02:00 -> 03:00).
    const Date saturdayNoon = *berlin.date(2026, 3, 28, 12, 0);
    EXPECT_EQ(saturdayNoon, Date::fromUnix(1774695600)); // 11:00 UTC
    const Date sundayNoon = berlin.addingDays(saturdayNoon, 1);
    EXPECT_DOUBLE_EQ(sundayNoon.secondsSince(saturdayNoon), 23 * 3600.0);
    EXPECT_EQ(berlin.components(sundayNoon).hour, 12);
    EXPECT_EQ(berlin.components(sundayNoon).weekday, 1);

    EXPECT_EQ(berlin.startOfDay(sundayNoon), Date::fromUnix(1774738800)); // 2026-03-28 23:00 UTC
    const Date mondayStart = berlin.startOfDay(berlin.addingDays(sundayNoon, 1));
    EXPECT_DOUBLE_EQ(mondayStart.secondsSince(berlin.startOfDay(sundayNoon)), 23 * 3600.0);

    // Backwards over the change, and a whole week keeps the wall-clock time.
    EXPECT_EQ(berlin.addingDays(sundayNoon, -1), saturdayNoon);
    EXPECT_EQ(berlin.components(berlin.addingDays(saturdayNoon, 7)).hour, 12);

    // The same moment in UTC starts its day at midnight UTC.
    EXPECT_EQ(Calendar(QTimeZone::utc()).startOfDay(sundayNoon), Date::fromUnix(1774742400));
}

TEST(Calendar, DateFromPartsRejectsImpossibleParts) {
    const Calendar utc(QTimeZone::utc());
    EXPECT_EQ(utc.date(2026, 1, 5, 15, 4), kJan5);
    EXPECT_FALSE(utc.date(2026, 2, 30).has_value());
    EXPECT_FALSE(utc.date(2026, 13, 1).has_value());
    EXPECT_FALSE(utc.date(2026, 1, 1, 24, 0).has_value());
    EXPECT_FALSE(utc.date(2026, 1, 1, 10, 60).has_value());
    EXPECT_TRUE(utc.date(2028, 2, 29).has_value());
}

TEST(Calendar, SameDayDependsOnTheZone) {
    const Date lateEvening = Date::fromUnix(1767654000); // 2026-01-05 23:00 UTC
    const Date nextMorning = Date::fromUnix(1767661200); // 2026-01-06 01:00 UTC
    EXPECT_FALSE(Calendar(QTimeZone::utc()).isSameDay(lateEvening, nextMorning));
    EXPECT_TRUE(Calendar(zone("America/New_York")).isSameDay(lateEvening, nextMorning));
}

TEST(Calendar, CurrentZoneCanBeSetAndReset) {
    CurrentLocaleGuard guard;
    setCurrentTimeZone(zone("Asia/Tokyo"));
    EXPECT_EQ(Calendar::current().timeZone().id(), QByteArray("Asia/Tokyo"));
    EXPECT_EQ(Calendar::current().components(kJan5).day, 6);
    setCurrentTimeZone(QTimeZone());
    EXPECT_EQ(currentTimeZone(), QTimeZone::systemTimeZone());
}

// A traveller's system changes its zone while the program runs (here through the process's
// TZ, which the system's zone is read from before /etc/localtime): the new zone is the current
// one within a second.
TEST(Calendar, TheSystemsZoneIsFollowedWhenItChanges) {
    const QByteArray savedTz = qgetenv("TZ");
    auto now = std::chrono::steady_clock::now();
    const MonotonicNow previous = setZoneCheckClockForTesting([&now] { return now; });
    qputenv("TZ", "Asia/Tokyo");
    EXPECT_EQ(currentTimeZone().id(), QByteArray("Asia/Tokyo"));
    qputenv("TZ", "America/New_York");
    now += std::chrono::seconds(1);
    EXPECT_EQ(currentTimeZone().id(), QByteArray("America/New_York"));
    if (savedTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedTz);
    setZoneCheckClockForTesting(previous);
}

TEST(DateFormatter, StylesOfALocale) {
    const QTimeZone utc = QTimeZone::utc();
    EXPECT_EQ(DateFormatter(DateStyle::Short, DateStyle::Short, "en_US", utc).string(kJan5), "1/5/26, 3:04 PM");
    EXPECT_EQ(DateFormatter(DateStyle::Medium, DateStyle::Short, "en_US", utc).string(kJan5), "Jan 5, 2026, 3:04 PM");
    EXPECT_EQ(DateFormatter(DateStyle::Medium, DateStyle::None, "en_US", utc).string(kJan5), "Jan 5, 2026");
    EXPECT_EQ(DateFormatter(DateStyle::None, DateStyle::Short, "en_US", utc).string(kJan5), "3:04 PM");
    EXPECT_EQ(DateFormatter(DateStyle::Full, DateStyle::None, "en_US", utc).string(kJan5), "Monday, January 5, 2026");
    EXPECT_EQ(DateFormatter(DateStyle::Medium, DateStyle::Short, "de_DE", utc).string(kJan5), "05.01.2026, 15:04");
    EXPECT_EQ(DateFormatter(DateStyle::None, DateStyle::Short, "en_GB", utc).string(kJan5), "15:04");
    EXPECT_EQ(DateFormatter(DateStyle::None, DateStyle::None, "en_US", utc).string(kJan5), "");
}

TEST(DateFormatter, FollowsTheZoneAndTheCurrentLocale) {
    CurrentLocaleGuard guard;
    setCurrentLocaleName("de_DE");
    EXPECT_EQ(DateFormatter(DateStyle::None, DateStyle::Short, {}, zone("Asia/Tokyo")).string(kJan5), "00:04");
    setCurrentLocaleName("en_US");
    // A fixed-offset zone that ICU does not know by Qt's name still gets its offset.
    EXPECT_EQ(DateFormatter(DateStyle::None, DateStyle::Short, {}, QTimeZone(2 * 3600)).string(kJan5), "5:04 PM");
    EXPECT_EQ(DateFormatter::formatPattern(kJan5, "EEE d MMM", "en_US", QTimeZone::utc()), "Mon 5 Jan");
}

TEST(DateFormatter, ParsesWholeTextsOnly) {
    const QTimeZone utc = QTimeZone::utc();
    EXPECT_EQ(DateFormatter::parsePattern("Jan 5, 2026, 3:04 PM", "MMM d, yyyy, h:mm a", "en_US_POSIX", utc), kJan5);
    EXPECT_EQ(DateFormatter::parsePattern("2026-01-05T15:04:00+0000", "yyyy-MM-dd'T'HH:mm:ssZ", "en_US_POSIX", utc),
              kJan5);
    EXPECT_EQ(
        DateFormatter::parsePattern("2026-01-05 16:04:00", "yyyy-MM-dd HH:mm:ss", "en_US_POSIX", zone("Europe/Berlin")),
        kJan5);
    EXPECT_FALSE(DateFormatter::parsePattern("Jan 5, 2026, 3:04 PM extra", "MMM d, yyyy, h:mm a", "en_US_POSIX", utc));
    EXPECT_FALSE(DateFormatter::parsePattern("5.1.2026 15:04", "MMM d, yyyy, h:mm a", "en_US_POSIX", utc));
    EXPECT_FALSE(DateFormatter::parsePattern("", "yyyy-MM-dd HH:mm:ss", "en_US_POSIX", utc));
}

TEST(CurrentLocale, SetNameWinsOverTheEnvironment) {
    CurrentLocaleGuard guard;
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "fr_CA.UTF-8@euro");
    EXPECT_EQ(currentLocaleName(), QByteArray("fr_CA"));
    qputenv("LC_ALL", "C.UTF-8");
    EXPECT_EQ(currentLocaleName(), QByteArray("en_US"));
    setCurrentLocaleName("de_DE");
    EXPECT_EQ(currentLocaleName(), QByteArray("de_DE"));
    if (saved.isNull())
        qunsetenv("LC_ALL");
    else
        qputenv("LC_ALL", saved);
}

TEST(Calendar, WallClockTimesInAGapMoveForward) {
    const Calendar berlin(zone("Europe/Berlin"));
    // 02:30 does not exist on 2026-03-29 in Berlin; the moment is that of 03:30 local time.
    const auto inGap = berlin.date(2026, 3, 29, 2, 30);
    ASSERT_TRUE(inGap);
    EXPECT_EQ(berlin.components(*inGap).hour, 3);
    EXPECT_EQ(berlin.components(*inGap).minute, 30);
}

TEST(Calendar, RepeatedWallClockTimesAreTheFirst) {
    const Calendar berlin(zone("Europe/Berlin"));
    // 02:30 happens twice on 2026-10-25 in Berlin: first at 00:30 UTC (summer time).
    EXPECT_EQ(berlin.date(2026, 10, 25, 2, 30), Date::fromUnix(1792888200));
    // Adding a day onto a skipped time moves forward too.
    const Date saturday = *berlin.date(2026, 3, 28, 2, 30);
    EXPECT_EQ(berlin.components(berlin.addingDays(saturday, 1)).hour, 3);
    EXPECT_EQ(berlin.components(berlin.addingDays(saturday, 2)).hour, 2);
}

TEST(Calendar, OutOfRangeDatesGiveBoundedParts) {
    const Calendar utc(QTimeZone::utc());
    EXPECT_EQ(utc.components(Date{1e300}).year, 9999);
    EXPECT_EQ(utc.components(Date{-1e300}).year, 1);
    EXPECT_EQ(utc.components(Date{std::numeric_limits<double>::quiet_NaN()}).year, 2001);
    EXPECT_EQ(utc.components(utc.startOfDay(Date{1e300})).hour, 0);
    EXPECT_EQ(DateFormatter(DateStyle::Medium, DateStyle::None, "en_US", QTimeZone::utc()).string(Date{1e300}),
              "Dec 31, 9999");
}
