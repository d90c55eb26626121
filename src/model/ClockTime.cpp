#include "model/DailyWindow.h"
#include "model/RuleTargets.h"
#include "platform/Calendar.h"

namespace nimbrel {

std::int64_t NimbrelClockTime::minutesSinceMidnight() const {
    return nimbrel::minutesSinceMidnight(hour, minute);
}

QString NimbrelClockTime::displayText() const {
    const Calendar calendar = Calendar::current();
    // A date that carries only this hour and minute; the day itself is never shown.
    // Times no clock shows (stored values out of range) take the plain fallback.
    std::optional<Date> date;
    if (hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59)
        date = calendar.date(2001, 1, 1, static_cast<int>(hour), static_cast<int>(minute));
    if (!date) return QString::asprintf("%02lld:%02lld", static_cast<long long>(hour), static_cast<long long>(minute));
    return DateFormatter(DateStyle::None, DateStyle::Short, currentLocaleName(), calendar.timeZone()).string(*date);
}

} // namespace nimbrel
