#pragma once

#include "platform/Date.h"

#include <QString>

#include <optional>
#include <vector>

namespace nimbrel {

// The pause choices of a rule card, in order. Their raw values are the case names.
enum class RulePauseOption {
    resume,
    fiveMinutes,
    fifteenMinutes,
    thirtyMinutes,
    oneHour,
    twoHours,
    sixHours,
    twelveHours,
    indefinite,
    custom
};

namespace rulePause {

std::vector<RulePauseOption> allCases();
// The nine choices of an unpaused card's menu, after "Disable" and its divider.
std::vector<RulePauseOption> menuOptions();
QString rawValue(RulePauseOption option);
// Exactly a case name; anything else is none.
std::optional<RulePauseOption> fromRawValue(const QString& text);
QString title(RulePauseOption option);
// When a pause chosen `now` ends: none for resume and custom, the far future for indefinite.
std::optional<Date> pauseDate(RulePauseOption option, Date now);

} // namespace rulePause
} // namespace nimbrel
