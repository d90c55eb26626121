#include "model/DailyWindow.h"

#include <limits>

namespace nimbrel {

std::int64_t minutesSinceMidnight(std::int64_t hour, std::int64_t minute) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t hours;
    if (__builtin_mul_overflow(hour, 60, &hours)) hours = hour < 0 ? kMin : kMax;
    std::int64_t total;
    if (__builtin_add_overflow(hours, minute, &total)) total = minute > 0 ? kMax : kMin;
    return total;
}

bool isWithinDailyWindow(std::int64_t nowMinutes, std::int64_t startMinutes, std::int64_t endMinutes) {
    if (startMinutes == endMinutes) return true;
    if (startMinutes < endMinutes) return startMinutes <= nowMinutes && nowMinutes < endMinutes;
    return nowMinutes >= startMinutes || nowMinutes < endMinutes;
}

} // namespace nimbrel
