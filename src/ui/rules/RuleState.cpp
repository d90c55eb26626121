#include "ui/rules/RuleState.h"

namespace nimbrel {

bool isPaused(const NimbrelRule& rule, Date now) {
    return rule.pausedUntil && *rule.pausedUntil > now;
}

bool isTimedPause(Date pausedUntil) {
    return pausedUntil < Date::distantFuture().addingSeconds(-1);
}

RuleState ruleState(const NimbrelRule& rule, Date now, bool triggerAppAvailable) {
    if (!triggerAppAvailable) return RuleState::unsupported;
    if (!rule.isEnabled) return RuleState::disabled;
    if (isPaused(rule, now)) return RuleState::paused;
    return RuleState::active;
}

QString stateName(RuleState state) {
    switch (state) {
    case RuleState::unsupported:
        return QStringLiteral("unsupported");
    case RuleState::disabled:
        return QStringLiteral("disabled");
    case RuleState::paused:
        return QStringLiteral("paused");
    case RuleState::active:
        break;
    }
    return QStringLiteral("active");
}

} // namespace nimbrel
