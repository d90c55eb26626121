#include "sessions/ReminderDates.h"

#include <QDate>

namespace nimbrel {

namespace {

std::int64_t wallMinutes(const DateComponents& c) {
    return std::int64_t(c.hour) * 60 + c.minute;
}

bool isValidTime(int weekday, std::int64_t hour, std::int64_t minute) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && weekday >= 1 && weekday <= 7;
}

// `shifted` is where the calendar put a skipped wall-clock time (moved on by the gap); the
// moment the gap ends is the first minute whose wall clock passed the asked day and time. That
// minute is on the next day when the gap ends at midnight.
Date endOfGap(const Calendar& calendar, Date shifted, QDate askedDay, std::int64_t askedMinutes) {
    const auto passed = [&](const DateComponents& c) {
        const QDate day(c.year, c.month, c.day);
        return day > askedDay || (day == askedDay && wallMinutes(c) > askedMinutes);
    };
    Date moment = shifted;
    for (int i = 0; i < 24 * 60; ++i) {
        const Date earlier = moment.addingSeconds(-60);
        if (!passed(calendar.components(earlier))) break;
        moment = earlier;
    }
    return moment;
}

// Whether any moment falls on `day` in the calendar's zone.
bool hasDay(const Calendar& calendar, QDate day) {
    const std::optional<Date> midnight = calendar.date(day.year(), day.month(), day.day());
    if (!midnight) return false;
    const DateComponents c = calendar.components(*midnight);
    return QDate(c.year, c.month, c.day) == day;
}

// What `day` gives at hour:minute: the first such moment after `after`, or none. A day the zone
// left out of its calendar gives none, and so does its week: the first day searched is the one
// `after` falls on, which the zone has, and the same weekday a week on is past the eight days.
std::optional<Date> matchOnDay(const Calendar& calendar, QDate day, Date after, std::int64_t hour,
                               std::int64_t minute) {
    std::optional<Date> candidate = calendar.date(day.year(), day.month(), day.day(), int(hour), int(minute), 0);
    if (!candidate) return std::nullopt;
    const DateComponents got = calendar.components(*candidate);
    // Only a time that came out elsewhere can be on a day that does not exist.
    if (QDate(got.year, got.month, got.day) != day && !hasDay(calendar, day)) return std::nullopt;
    if (got.hour != hour || got.minute != minute) candidate = endOfGap(calendar, *candidate, day, hour * 60 + minute);
    if (*candidate > after) return candidate;
    return std::nullopt;
}

} // namespace

std::optional<Date> nextDateMatching(const Calendar& calendar, Date after, int weekday, std::int64_t hour,
                                     std::int64_t minute) {
    if (!isValidTime(weekday, hour, minute)) return std::nullopt;
    const DateComponents first = calendar.components(after);
    // The days that can match are found from the first day's weekday by date arithmetic, and only
    // they are asked of the zone: its conversions are most of what thousands of reminders cost.
    // Eight days cover the same weekday a week on, for a time already past today.
    const int ahead = (weekday - first.weekday + 7) % 7;
    const QDate firstDay(first.year, first.month, first.day);
    for (int offset = ahead; offset <= 7; offset += 7) {
        if (const std::optional<Date> moment = matchOnDay(calendar, firstDay.addDays(offset), after, hour, minute))
            return moment;
    }
    return std::nullopt;
}

std::optional<Date> nextDateMatchingDayByDay(const Calendar& calendar, Date after, int weekday, std::int64_t hour,
                                             std::int64_t minute) {
    if (!isValidTime(weekday, hour, minute)) return std::nullopt;
    const DateComponents first = calendar.components(after);
    const QDate firstDay(first.year, first.month, first.day);
    for (int offset = 0; offset <= 7; ++offset) {
        const QDate day = firstDay.addDays(offset);
        if (day.dayOfWeek() % 7 + 1 != weekday) continue; // Monday is 1 to the date, 2 to the calendar
        if (const std::optional<Date> moment = matchOnDay(calendar, day, after, hour, minute)) return moment;
    }
    return std::nullopt;
}

Date minuteOf(const Calendar& calendar, Date fire) {
    const DateComponents c = calendar.components(fire);
    return calendar.date(c.year, c.month, c.day, c.hour, c.minute, 0).value_or(fire);
}

} // namespace nimbrel
