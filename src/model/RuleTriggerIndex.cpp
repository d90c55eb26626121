#include "model/RuleTriggerIndex.h"

#include "model/AppCapabilities.h"

#include <algorithm>

namespace nimbrel {

namespace {

// What the index files a rule under; a change elsewhere in a rule leaves the index as it is.
bool filedAlike(const NimbrelRule& a, const NimbrelRule& b) {
    return a.isEnabled == b.isEnabled && a.trigger == b.trigger &&
           a.pausedUntil.has_value() == b.pausedUntil.has_value();
}

void removePosition(std::vector<size_t>& positions, size_t position) {
    const auto it = std::find(positions.begin(), positions.end(), position);
    if (it != positions.end()) positions.erase(it);
}

void removeFrom(QHash<QString, std::vector<size_t>>& map, const QString& key, size_t position) {
    const auto it = map.find(key);
    if (it == map.end()) return;
    removePosition(*it, position);
    if (it->empty()) map.erase(it);
}

// Positions from `from` on move by `by` (one place up or down).
void shift(std::vector<size_t>& positions, size_t from, std::ptrdiff_t by) {
    for (size_t& p : positions)
        if (p >= from) p = size_t(std::ptrdiff_t(p) + by);
}

} // namespace

RuleTriggerIndex::RuleTriggerIndex(const std::vector<NimbrelRule>& rules) {
    names_.reserve(rules.size());
    for (size_t i = 0; i < rules.size(); ++i) {
        names_.push_back(normalizedAppName(rules[i].trigger.app.displayName));
        file(i, rules[i]);
    }
}

void RuleTriggerIndex::file(size_t position, const NimbrelRule& rule) {
    if (!rule.isEnabled) return;
    const NimbrelRuleAppTarget& app = rule.trigger.app;
    ClickCountRules& bucket = byClickCount_[rule.trigger.clickCount];
    if (app.bundleIdentifier) bucket.byBundleIdentifier[*app.bundleIdentifier].push_back(position);
    if (app.path) bucket.byPath[*app.path].push_back(position);
    bucket.byName[names_[position]].push_back(position);
    if (rule.pausedUntil) bucket.paused.push_back(position);
}

void RuleTriggerIndex::unfile(size_t position, const NimbrelRule& rule) {
    if (!rule.isEnabled) return;
    const auto found = byClickCount_.find(rule.trigger.clickCount);
    if (found == byClickCount_.end()) return;
    ClickCountRules& bucket = found->second;
    const NimbrelRuleAppTarget& app = rule.trigger.app;
    if (app.bundleIdentifier) removeFrom(bucket.byBundleIdentifier, *app.bundleIdentifier, position);
    if (app.path) removeFrom(bucket.byPath, *app.path, position);
    removeFrom(bucket.byName, names_[position], position);
    if (rule.pausedUntil) removePosition(bucket.paused, position);
}

void RuleTriggerIndex::apply(const RuleListEdit& edit) {
    switch (edit.kind) {
    case RuleListEdit::Kind::replace:
        replace(edit.position, *edit.before, *edit.after);
        break;
    case RuleListEdit::Kind::insert:
        insert(edit.position, *edit.after);
        break;
    case RuleListEdit::Kind::erase:
        erase(edit.position, *edit.before);
        break;
    }
}

void RuleTriggerIndex::arrange(const RuleListArrangement& arrangement) {
    std::vector<QString> names;
    names.reserve(arrangement.places.size());
    for (const RuleListArrangement::Place& place : arrangement.places)
        names.push_back(place.held != RuleListArrangement::notHeld
                            ? std::move(names_[place.held])
                            : normalizedAppName(place.rule->trigger.app.displayName));
    names_ = std::move(names);
    byClickCount_.clear();
    for (size_t i = 0; i < arrangement.places.size(); ++i)
        file(i, *arrangement.places[i].rule);
}

void RuleTriggerIndex::replace(size_t position, const NimbrelRule& before, const NimbrelRule& after) {
    if (filedAlike(before, after)) return;
    unfile(position, before);
    if (after.trigger.app.displayName != before.trigger.app.displayName)
        names_[position] = normalizedAppName(after.trigger.app.displayName);
    file(position, after);
}

void RuleTriggerIndex::insert(size_t position, const NimbrelRule& rule) {
    if (position < names_.size()) shiftPositions(position, 1);
    names_.insert(names_.begin() + std::ptrdiff_t(position), normalizedAppName(rule.trigger.app.displayName));
    file(position, rule);
}

void RuleTriggerIndex::erase(size_t position, const NimbrelRule& rule) {
    unfile(position, rule);
    names_.erase(names_.begin() + std::ptrdiff_t(position));
    shiftPositions(position + 1, -1);
}

void RuleTriggerIndex::shiftPositions(size_t from, std::ptrdiff_t by) {
    for (auto& [clickCount, bucket] : byClickCount_) {
        for (auto* map : {&bucket.byBundleIdentifier, &bucket.byPath, &bucket.byName})
            for (auto& positions : *map)
                shift(positions, from, by);
        shift(bucket.paused, from, by);
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
