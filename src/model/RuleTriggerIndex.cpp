#include "model/RuleTriggerIndex.h"

#include "model/AppCapabilities.h"

#include <algorithm>

namespace nimbrel {

RuleTriggerIndex::RuleTriggerIndex(const std::vector<NimbrelRule>& rules) {
    names_.reserve(rules.size());
    for (size_t i = 0; i < rules.size(); ++i) {
        const NimbrelRule& rule = rules[i];
        const NimbrelRuleAppTarget& app = rule.trigger.app;
        names_.push_back(normalizedAppName(app.displayName));
        if (!rule.isEnabled) continue;
        ClickCountRules& bucket = byClickCount_[rule.trigger.clickCount];
        if (app.bundleIdentifier) bucket.byBundleIdentifier[*app.bundleIdentifier].push_back(i);
        if (app.path) bucket.byPath[*app.path].push_back(i);
        bucket.byName[names_.back()].push_back(i);
        if (rule.pausedUntil) bucket.paused.push_back(i);
    }
}

std::vector<size_t> RuleTriggerIndex::candidates(const NimbrelRuleAppTarget& tapped, const QString& tappedName,
                                                 std::int64_t clickCount) const {
    const auto bucket = byClickCount_.find(clickCount);
    if (bucket == byClickCount_.end()) return {};
    const ClickCountRules& rules = bucket->second;
    std::vector<size_t> found = rules.paused;
    const auto add = [&found](const QHash<QString, Positions>& map, const std::optional<QString>& key) {
        if (!key) return;
        if (const auto it = map.constFind(*key); it != map.constEnd())
            found.insert(found.end(), it->begin(), it->end());
    };
    add(rules.byBundleIdentifier, tapped.bundleIdentifier);
    add(rules.byPath, tapped.path);
    add(rules.byName, tappedName);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

} // namespace nimbrel
