#pragma once

#include "model/Rule.h"

namespace nimbrel {

// A rule's state as the screens show it, tested in this order: trigger app missing,
// disabled, paused, active. The card's warning and the status pill use this one order.
enum class RuleState { unsupported, disabled, paused, active };

// Paused only while the pause ends later than `now`; an expired pause reads as none.
bool isPaused(const NimbrelRule& rule, Date now);
// A pause that ends before the last second of the far future is timed; later is indefinite.
bool isTimedPause(Date pausedUntil);
RuleState ruleState(const NimbrelRule& rule, Date now, bool triggerAppAvailable);
// "unsupported", "disabled", "paused", "active": the tint names the QML uses.
QString stateName(RuleState state);

} // namespace nimbrel
