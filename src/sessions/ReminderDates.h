#pragma once

#include "platform/Calendar.h"

#include <cstdint>
#include <optional>

namespace nimbrel {

// The first moment strictly after `after` that falls on `weekday` (1 = Sunday ... 7 = Saturday)
// at hour:minute:00 in `calendar`'s zone. A time that a daylight-saving change skips is the
// first moment after the skipped hour; a time that occurs twice is its first occurrence. None
// when the day that would match is one the zone left out of its calendar (that week has no such
// moment), and for a time no day has (an hour past 23, say).
std::optional<Date> nextDateMatching(const Calendar& calendar, Date after, int weekday, std::int64_t hour,
                                     std::int64_t minute);

// The same, found by looking at each of the next eight dates in turn: what the weekday
// arithmetic of `nextDateMatching` must agree with.
std::optional<Date> nextDateMatchingDayByDay(const Calendar& calendar, Date after, int weekday, std::int64_t hour,
                                             std::int64_t minute);

// The one-shot trigger for `fire`: its day, hour and minute in `calendar`'s zone, second 0.
Date minuteOf(const Calendar& calendar, Date fire);

} // namespace nimbrel
