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
// moment the gap ends is the first minute whose wall clock passed the asked time.
Date endOfGap(const Calendar& calendar, Date shifted, std::int64_t askedMinutes) {
    Date moment = shifted;
    const int day = calendar.components(shifted).day;
    for (int i = 0; i < 24 * 60; ++i) {
        const Date earlier = moment.addingSeconds(-60);
        const DateComponents c = calendar.components(earlier);
        if (c.day != day || wallMinutes(c) <= askedMinutes) break;
        moment = earlier;
    }
    return moment;
}

// The first moment after `after` at hour:minute on `day`, or none. A day the zone left out of its
// calendar is a gap of a whole day: its time falls on the next day the zone has.
std::optional<Date> matchOnDay(const Calendar& calendar, QDate day, Date after, std::int64_t hour,
                               std::int64_t minute) {
    std::optional<Date> candidate = calendar.date(day.year(), day.month(), day.day(), int(hour), int(minute), 0);
    if (!candidate) return std::nullopt;
    const DateComponents got = calendar.components(*candidate);
    if (got.hour != hour || got.minute != minute) candidate = endOfGap(calendar, *candidate, hour * 60 + minute);
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
    for (int offset = ahead; offset <= 7; offset += 7)
        if (const std::optional<Date> match = matchOnDay(calendar, firstDay.addDays(offset), after, hour, minute))
            return match;
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
        if (const std::optional<Date> match = matchOnDay(calendar, day, after, hour, minute)) return match;
    }
    return std::nullopt;
}

Date minuteOf(const Calendar& calendar, Date fire) {
    const DateComponents c = calendar.components(fire);
    return calendar.date(c.year, c.month, c.day, c.hour, c.minute, 0).value_or(fire);
}

} // namespace nimbrel
