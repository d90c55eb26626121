#pragma once

#include <cstdint>

// The daily time window that rule schedules and sessions share. Times are minutes since
// midnight; stored hours and minutes are not clamped, so the arithmetic saturates.
namespace nimbrel {

// hour * 60 + minute, saturated to the 64-bit range instead of overflowing.
std::int64_t minutesSinceMidnight(std::int64_t hour, std::int64_t minute);

// Equal start and end is the whole day; start < end is start <= now < end; start > end
// wraps past midnight (now >= start or now < end). The caller tests the weekday: always
// the moment's own day, also after midnight.
bool isWithinDailyWindow(std::int64_t nowMinutes, std::int64_t startMinutes, std::int64_t endMinutes);

} // namespace nimbrel
