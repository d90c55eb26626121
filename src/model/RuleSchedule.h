#pragma once

#include "model/DailyWindow.h"
#include "model/RuleTargets.h"
#include "platform/Calendar.h"

#include <cstdint>
#include <optional>

namespace nimbrel {

class UserDefaults;

// The user-defaults flag of the global pause; while it is true no rule fires.
inline const QString kGlobalPauseActiveKey = QStringLiteral("Nimbrel.globalPauseActive");

// The schedule of a rule.
struct NimbrelRuleAvailability {
    NimbrelRuleAvailabilityMode mode = NimbrelRuleAvailabilityMode::always; // "always" ignores the rest
    NimbrelWeekdaySet activeDays = allWeekdays();
    std::optional<NimbrelClockTime> startTime;
    std::optional<NimbrelClockTime> endTime;

    // Always active, every day, no times; what new rules get.
    static const NimbrelRuleAvailability& defaultAvailability();

    // Whether the schedule is open at `moment`, reading the global pause flag afresh
    // from `defaults` (a missing value is "not paused").
    bool isActive(Date moment, const Calendar& calendar, const UserDefaults& defaults) const;
    // The same over the installed platform's defaults.
    bool isActive(Date moment, const Calendar& calendar) const;
    // The schedule alone, without the global pause.
    bool isOpen(Date moment, const Calendar& calendar) const;

    // "Always active", "Active on Weekends", "Active Mon, Wed, Fri, 9:00 AM–5:00 PM", ...
    QString summaryText() const;

    friend bool operator==(const NimbrelRuleAvailability&, const NimbrelRuleAvailability&) = default;
};

} // namespace nimbrel
