#include "model/RuleTargets.h"
#include "platform/Calendar.h"

#include <limits>

namespace nimbrel {

namespace {
std::int64_t saturatedAdd(std::int64_t a, std::int64_t b) {
    std::int64_t out;
    if (!__builtin_add_overflow(a, b, &out)) return out;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}
std::int64_t saturatedMultiply(std::int64_t a, std::int64_t b) {
    std::int64_t out;
    if (!__builtin_mul_overflow(a, b, &out)) return out;
    return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
}
} // namespace

std::int64_t NimbrelClockTime::minutesSinceMidnight() const {
    return saturatedAdd(saturatedMultiply(hour, 60), minute);
}

QString NimbrelClockTime::displayText() const {
    const Calendar calendar = Calendar::current();
    // A date that carries only this hour and minute; the day itself is never shown.
    std::optional<Date> date;
    if (hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59)
        date = calendar.date(2001, 1, 1, static_cast<int>(hour), static_cast<int>(minute));
    if (!date) return QString::asprintf("%02lld:%02lld", static_cast<long long>(hour), static_cast<long long>(minute));
    return DateFormatter(DateStyle::None, DateStyle::Short, currentLocaleName(), calendar.timeZone()).string(*date);
}

} // namespace nimbrel
