#include "model/RuleSchedule.h"

#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <QStringList>

namespace nimbrel {

const NimbrelRuleAvailability& NimbrelRuleAvailability::defaultAvailability() {
    // Built once; a function-local static is safe if two threads ask at once.
    static const NimbrelRuleAvailability value{
        .mode = NimbrelRuleAvailabilityMode::always,
        .activeDays = allWeekdays(),
        .startTime = std::nullopt,
        .endTime = std::nullopt,
    };
    return value;
}

bool NimbrelRuleAvailability::isOpen(Date moment, const Calendar& calendar) const {
    if (mode == NimbrelRuleAvailabilityMode::always) return true;
    const DateComponents parts = calendar.components(moment);
    // Always the moment's own day, also after midnight in a window that began the day before.
    if (!activeDays.count(weekdayFromCalendarWeekday(parts.weekday))) return false;
    if (!startTime || !endTime) return true;
    const std::int64_t now = std::int64_t(parts.hour) * 60 + parts.minute;
    return isWithinDailyWindow(now, startTime->minutesSinceMidnight(), endTime->minutesSinceMidnight());
}

bool NimbrelRuleAvailability::isActive(Date moment, const Calendar& calendar, const UserDefaults& defaults) const {
    if (defaults.boolValue(kGlobalPauseActiveKey).value_or(false)) return false;
    return isOpen(moment, calendar);
}

bool NimbrelRuleAvailability::isActive(Date moment, const Calendar& calendar) const {
    const Platform& platform = Platform::current();
    if (platform.defaults) return isActive(moment, calendar, *platform.defaults);
    return isOpen(moment, calendar);
}

QString NimbrelRuleAvailability::summaryText() const {
    if (mode == NimbrelRuleAvailabilityMode::always) return QStringLiteral("Always active");

    QString days;
    if (activeDays == allWeekdays()) {
        days = QStringLiteral("Every day");
    } else if (activeDays == workWeekdays()) {
        days = QStringLiteral("Weekdays");
    } else if (activeDays == weekendWeekdays()) {
        days = QStringLiteral("Weekends");
    } else {
        QStringList names;
        for (NimbrelWeekday day : activeDays)
            names << shortName(day); // the set is in Monday-first order
        days = names.join(QStringLiteral(", "));
    }

    if (startTime && endTime)
        return QStringLiteral("Active ") + days + QStringLiteral(", ") + startTime->displayText() + QChar(0x2013) +
               endTime->displayText();
    return QStringLiteral("Active on ") + days;
}

} // namespace nimbrel
