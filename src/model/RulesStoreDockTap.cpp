#include "model/RulesStore.h"

#include "model/AppCapabilities.h"
#include "model/RuleTriggerIndex.h"
#include "platform/Calendar.h"
#include "platform/Platform.h"

#include <QStringList>

namespace nimbrel {

bool NimbrelRulesStore::targetMatches(size_t index, const NimbrelRuleAppTarget& tapped, const QString& tappedName) {
    const NimbrelRuleAppTarget& target = rules_.get()[index].trigger.app;
    if (target.bundleIdentifier && tapped.bundleIdentifier && *target.bundleIdentifier == *tapped.bundleIdentifier)
        return true;
    if (target.path && tapped.path && *target.path == *tapped.path) return true;
    return triggerIndex_->foldedName(index) == tappedName;
}

std::vector<NimbrelRule> NimbrelRulesStore::rulesForDockTap(const NimbrelRuleAppTarget& app, std::int64_t clickCount) {
    load();
    if (isGlobalPauseActive(*platform_.defaults)) return {};

    const Date moment = now();
    const Calendar calendar = Calendar::current();
    const QString tappedName = normalizedAppName(app.displayName);
    std::vector<NimbrelRule> result;
    std::vector<size_t> expired;

    const std::vector<NimbrelRule>& rules = rules_.get();
    // Folding every rule's app name is the costly part of a lookup: done once per list.
    if (!triggerIndex_) triggerIndex_ = std::make_unique<RuleTriggerIndex>(rules);
    // The rules left out can neither match nor have a pause to clear.
    for (const size_t i : triggerIndex_->candidates(app, tappedName, clickCount)) {
        const NimbrelRule& rule = rules[i];
        if (!rule.isEnabled || rule.trigger.clickCount != clickCount) continue;
        // A pause that ends exactly now has run out.
        const bool pauseRanOut = rule.pausedUntil && *rule.pausedUntil <= moment;
        if (rule.pausedUntil && !pauseRanOut) continue;
        // The app test has no side effects, so it may come before the schedule; a run-out
        // pause is still cleared whatever app was tapped, when the schedule is open.
        const bool appMatches = targetMatches(i, app, tappedName);
        if (!appMatches && !pauseRanOut) continue;
        // The global pause was checked above, so the schedule alone decides.
        if (!rule.availability.isOpen(moment, calendar)) continue;
        if (pauseRanOut) expired.push_back(i);
        if (appMatches) result.push_back(rule);
    }

    if (!expired.empty()) {
        std::vector<NimbrelRule> cleared;
        cleared.reserve(expired.size()); // the edits point at them
        std::vector<RuleListEdit> edits;
        for (const size_t i : expired) {
            cleared.push_back(rules[i]);
            cleared.back().pausedUntil.reset();
            cleared.back().updatedAt = moment;
            edits.push_back(RuleListEdit::replace(i, rules[i], cleared.back()));
        }
        editRules(std::move(edits));
        save();
        for (const NimbrelRule& rule : cleared)
            pushPayloadUnlessApplying(rule);
        const qsizetype n = static_cast<qsizetype>(expired.size());
        record(NimbrelActivityType::rule, QStringLiteral("Rule Pause Expired"),
               n == 1 ? QStringLiteral("1 paused rule became active again.")
                      : QStringLiteral("%1 paused rules became active again.").arg(n));
    }

    if (result.empty()) return result;
    QStringList names;
    for (const NimbrelRule& rule : result)
        names << rule.name;
    record(NimbrelActivityType::rule,
           result.size() == 1 ? QStringLiteral("Rule Matched") : QStringLiteral("Rules Matched"),
           QStringLiteral("%1 matched %2 on click %3.")
               .arg(app.displayName, names.join(QStringLiteral(", ")), QString::number(clickCount)));
    return result;
}

} // namespace nimbrel
