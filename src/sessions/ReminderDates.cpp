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

// What `day` gives at hour:minute: the first such moment after `after`, or none.
struct DayMatch {
    std::optional<Date> moment;
    bool dayLeftOut = false; // the zone left the day out of its calendar
};

// Whether any moment falls on `day` in the calendar's zone.
bool hasDay(const Calendar& calendar, QDate day) {
    const std::optional<Date> midnight = calendar.date(day.year(), day.month(), day.day());
    if (!midnight) return false;
    const DateComponents c = calendar.components(*midnight);
    return QDate(c.year, c.month, c.day) == day;
}

DayMatch matchOnDay(const Calendar& calendar, QDate day, Date after, std::int64_t hour, std::int64_t minute) {
    std::optional<Date> candidate = calendar.date(day.year(), day.month(), day.day(), int(hour), int(minute), 0);
    if (!candidate) return {};
    const DateComponents got = calendar.components(*candidate);
    // Only a time that came out elsewhere can be on a day that does not exist.
    if (QDate(got.year, got.month, got.day) != day && !hasDay(calendar, day)) return {std::nullopt, true};
    if (got.hour != hour || got.minute != minute) candidate = endOfGap(calendar, *candidate, hour * 60 + minute);
    if (*candidate > after) return {candidate};
    return {};
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
        const DayMatch match = matchOnDay(calendar, firstDay.addDays(offset), after, hour, minute);
        if (match.moment || match.dayLeftOut) return match.moment;
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
        const DayMatch match = matchOnDay(calendar, day, after, hour, minute);
        if (match.moment || match.dayLeftOut) return match.moment;
    }
    return std::nullopt;
}

Date minuteOf(const Calendar& calendar, Date fire) {
    const DateComponents c = calendar.components(fire);
    return calendar.date(c.year, c.month, c.day, c.hour, c.minute, 0).value_or(fire);
}

} // namespace nimbrel
