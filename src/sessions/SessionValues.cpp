#include "sessions/SessionValues.h"

#include "model/DailyWindow.h"

namespace nimbrel {

std::int64_t NimbrelSessionClockTime::minutesSinceMidnight() const {
    return nimbrel::minutesSinceMidnight(hour, minute);
}

NimbrelSessionWeekdays allSessionWeekdays() {
    return {NimbrelSessionWeekday::sunday,    NimbrelSessionWeekday::monday,   NimbrelSessionWeekday::tuesday,
            NimbrelSessionWeekday::wednesday, NimbrelSessionWeekday::thursday, NimbrelSessionWeekday::friday,
            NimbrelSessionWeekday::saturday};
}

} // namespace nimbrel
