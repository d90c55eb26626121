#pragma once

#include "model/Rule.h"

#include <QString>

#include <optional>
#include <vector>

namespace nimbrel {

// The list order: pinned rules first, then by name (localized, case-insensitive); rules that
// compare the same keep the store's order. The store's own order is never changed.
std::vector<NimbrelRule> sortedRules(const std::vector<NimbrelRule>& rules);
// The bytes that order a rule's card: rules with equal keys keep the store's order.
QByteArray ruleSortKey(const NimbrelRule& rule);

// "Rule " and the number the next rule would have: "Rule 4" with three stored.
QString defaultRuleName(size_t storedRuleCount);

// Whether a finished rule updates a stored one (same id) or is added.
enum class RuleUpsert { update, add };
RuleUpsert upsertFor(const std::vector<NimbrelRule>& stored, const Uuid& id);

// The seconds of a custom pause typed as whole minutes: the trimmed text as a decimal integer
// (optional sign) of at least 1; none for anything else, also when minutes x 60 would not fit
// a 64-bit integer.
std::optional<std::int64_t> customPauseSeconds(const QString& minutesText);

// The card's first circle button: enable a disabled rule, resume a paused one, else the
// pause menu.
enum class RuleStateButton { enable, resume, pauseMenu };
RuleStateButton stateButton(const NimbrelRule& rule, Date now);

} // namespace nimbrel
