#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

// The AM/PM half of a typed time in a 12-hour locale.
enum class TimePeriod { am, pm };

// An hour (0...23) and a minute (0...59) read from a time field.
struct ClockFieldTime {
    int hour = 0;
    int minute = 0;

    friend bool operator==(const ClockFieldTime&, const ClockFieldTime&) = default;
};

// The text a time field shows for an hour and a minute: "9:00" and "12:30" with a 12-hour
// clock (the period is kept apart), "09:00" and "00:30" otherwise. The locale is asked afresh.
QString clockFieldText(int hour, int minute);
QString clockFieldText(int hour, int minute, bool twelveHourClock);

// Reads a typed time ("9:30", " 9.30 ", "9", "12:15" with pm); none when it is not a time.
// In a 12-hour locale the hour must be 1...12 and the period decides the half of the day.
std::optional<ClockFieldTime> parseClockFieldText(const QString& text, TimePeriod period);
std::optional<ClockFieldTime> parseClockFieldText(const QString& text, TimePeriod period, bool twelveHourClock);

// The period a stored hour falls in: pm from 12 on.
TimePeriod periodOfHour(long long hour);

} // namespace nimbrel
