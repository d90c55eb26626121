#include "model/RulesStore.h"
#include "model/RuleListBytes.h"
#include "model/RuleTriggerIndex.h"

#include "activity/ActivityRecorder.h"
#include "model/RuleCoding.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace nimbrel {

namespace {

const QString kComponent = QStringLiteral("NimbrelRulesStore");

bool finite(Date d) {
    return std::isfinite(d.secondsSinceReferenceDate);
}

// Arranges `rules` by `arrangement` where they are: each held rule is moved once, along the cycles
// of the places it takes, and no list is allocated beside it. The places of the rules no longer
// held, and those past the list's end, stand for the new rules' until these are copied in.
void arrangeInPlace(std::vector<NimbrelRule>& rules, const RuleListArrangement& arrangement) {
    const std::vector<RuleListArrangement::Place>& places = arrangement.places;
    const size_t size = std::max(rules.size(), places.size());
    std::vector<size_t> from(size, RuleListArrangement::notHeld); // the place each place takes its rule from
    std::vector<bool> taken(size, false);
    for (size_t to = 0; to < places.size(); ++to) {
        if (places[to].held == RuleListArrangement::notHeld) continue;
        from[to] = places[to].held;
        taken[places[to].held] = true;
    }
    size_t spare = 0;
    for (size_t to = 0; to < size; ++to) {
        if (from[to] != RuleListArrangement::notHeld) continue;
        while (taken[spare])
            ++spare;
        from[to] = spare;
        taken[spare] = true;
    }
    rules.resize(size);
    std::vector<bool> done(size, false);
    for (size_t start = 0; start < size; ++start) {
        if (done[start] || from[start] == start) continue;
        NimbrelRule first = std::move(rules[start]);
        size_t to = start;
        for (; from[to] != start; to = from[to]) {
            rules[to] = std::move(rules[from[to]]);
            done[to] = true;
        }
        rules[to] = std::move(first);
        done[to] = true;
    }
    rules.resize(places.size());
    for (size_t to = 0; to < places.size(); ++to)
        if (places[to].held == RuleListArrangement::notHeld) rules[to] = *places[to].rule;
}

} // namespace

// JSON has no form for a date that is not a finite number; writing one would store data
// that can never be read back.
std::optional<QString> NimbrelRulesStore::encodingProblem(const std::vector<NimbrelRule>& rules) {
    for (const NimbrelRule& rule : rules)
        if (!finite(rule.createdAt) || !finite(rule.updatedAt) || (rule.pausedUntil && !finite(*rule.pausedUntil)))
            return QStringLiteral("The data couldn’t be written because it isn’t in the correct format. (The date "
                                  "of rule \"%1\" is not a number.)")
                .arg(rule.name);
    return std::nullopt;
}

NimbrelRulesStore::NimbrelRulesStore(Platform& platform, StoreSyncLinks links)
    : platform_(platform), links_(std::move(links)) {}

NimbrelRulesStore::~NimbrelRulesStore() = default;

std::shared_ptr<NimbrelRulesStore> NimbrelRulesStore::create(Platform& platform, StoreSyncLinks links) {
    std::shared_ptr<NimbrelRulesStore> store(new NimbrelRulesStore(platform, std::move(links)));
    store->start();
    return store;
}

std::shared_ptr<NimbrelRulesStore> NimbrelRulesStore::sharedPtr() {
    return sharedInstancePtr<NimbrelRulesStore>([] { return create(Platform::current(), StoreSyncLinks::shared()); });
}

NimbrelRulesStore& NimbrelRulesStore::shared() {
    return *sharedPtr();
}

void NimbrelRulesStore::start() {
    load();
    startInitialCloudPull();
    startCloudPullTriggers();
}

const DateFormatter& NimbrelRulesStore::pauseDateFormatter() {
    static const DateFormatter formatter(DateStyle::Medium, DateStyle::Short);
    return formatter;
}

Date NimbrelRulesStore::now() const {
    return platform_.clock->now();
}

void NimbrelRulesStore::record(NimbrelActivityType type, const QString& title, const QString& message) const {
    recordNimbrelActivity(platform_, type, title, message);
}

void NimbrelRulesStore::setRules(std::vector<NimbrelRule> rules) {
    // Rules written whole need not be dated: the next pull compares every record with them.
    mergedRecords_.clear();
    assignRules(std::move(rules), std::nullopt);
}

void NimbrelRulesStore::assignRules(std::vector<NimbrelRule> rules, std::optional<quint64> storedGeneration) {
    triggerIndex_.reset();
    storedText_.reset();
    const RuleListChange previous = std::exchange(lastChange_, {lastChange_.number + 1, std::nullopt, std::nullopt});
    if (!rules_.set(std::move(rules))) lastChange_ = previous;
    loadedGeneration_ = storedGeneration;
}

void NimbrelRulesStore::editRules(std::vector<RuleListEdit> edits) {
    if (edits.empty()) return;
    const std::vector<NimbrelRule>& list = rules_.get();
    // The list as each edit finds it: the rules held and those put in by the edits before.
    std::vector<const NimbrelRule*> current;
    current.reserve(list.size() + edits.size());
    for (const NimbrelRule& rule : list)
        current.push_back(&rule);
    // Where a rule stands in `list`, when it is one of its rules.
    const auto heldAt = [&](const NimbrelRule* rule) -> std::optional<size_t> {
        const std::less<const NimbrelRule*> before;
        if (before(rule, list.data()) || !before(rule, list.data() + list.size())) return std::nullopt;
        return size_t(rule - list.data());
    };
    RuleListChange change{lastChange_.number + 1, std::vector<RuleListChange::Step>{}, std::nullopt};
    bool onlyReplaced = true;
    for (RuleListEdit& edit : edits) {
        const auto at = current.begin() + std::ptrdiff_t(edit.position);
        if (edit.kind != RuleListEdit::Kind::insert) edit.before = *at;
        if (triggerIndex_) triggerIndex_->apply(edit);
        const bool moved = edit.kind == RuleListEdit::Kind::insert && heldAt(edit.after);
        change.steps->push_back({edit.kind, edit.position, (edit.after ? edit.after : edit.before)->id, moved});
        if (edit.kind == RuleListEdit::Kind::replace) {
            *at = edit.after;
            continue;
        }
        onlyReplaced = false;
        if (edit.kind == RuleListEdit::Kind::insert)
            current.insert(at, edit.after);
        else
            current.erase(at);
    }
    if (storedText_) storedText_->apply(edits);
    lastChange_ = std::move(change);
    rules_.modify([&](std::vector<NimbrelRule>& rules) {
        if (onlyReplaced) {
            for (const RuleListEdit& edit : edits)
                rules[edit.position] = *edit.after;
            return;
        }
        // `rules` holds what `list` held: the rules that stay are moved, not copied.
        std::vector<unsigned> uses(list.size(), 0);
        for (const NimbrelRule* rule : current)
            if (auto held = heldAt(rule)) ++uses[*held];
        std::vector<NimbrelRule> next;
        next.reserve(current.size());
        for (const NimbrelRule* rule : current) {
            const std::optional<size_t> held = heldAt(rule);
            next.push_back(held && uses[*held] == 1 ? std::move(rules[*held]) : *rule);
        }
        rules = std::move(next);
    });
    loadedGeneration_.reset();
}

void NimbrelRulesStore::arrangeRules(const RuleListArrangement& arrangement) {
    // The tap lookup and the stored text follow while the places still point at the held rules.
    if (triggerIndex_) triggerIndex_->arrange(arrangement);
    if (storedText_) storedText_->arrange(arrangement);
    std::vector<Uuid> arrangedAnew;
    for (const RuleListArrangement::Place& place : arrangement.places)
        if (place.held == RuleListArrangement::notHeld) arrangedAnew.push_back(place.rule->id);
    lastChange_ = {lastChange_.number + 1, std::nullopt, std::move(arrangedAnew)};
    rules_.modify([&](std::vector<NimbrelRule>& rules) { arrangeInPlace(rules, arrangement); });
    loadedGeneration_.reset();
}

void NimbrelRulesStore::load() {
    const quint64 generation = platform_.defaults->generation(defaultsKey);
    if (loadedGeneration_ == generation) return; // the list already reflects the stored value
    mergedRecords_.clear();

    const QVariant stored = platform_.defaults->object(defaultsKey);
    if (!stored.isValid()) {
        assignRules({}, generation);
        return;
    }
    if (stored.typeId() != QMetaType::QByteArray) {
        noteUnreadableStoredRules(stored, QStringLiteral("The data couldn’t be read because it isn’t in the correct "
                                                         "format. (The stored rules are not a data value.)"));
        assignRules({}, generation);
        return;
    }
    json::Decoded<std::vector<NimbrelRule>> decoded =
        decodeRules(stored.toByteArray(), json::DateForm::SecondsSince2001);
    if (!decoded) {
        noteUnreadableStoredRules(stored, decoded.error);
        assignRules({}, generation);
        return;
    }
    const size_t count = decoded.value->size();
    assignRules(std::move(*decoded.value), generation);
    if (auto text = RuleListBytes::fromStored(stored.toByteArray(), count, json::DateForm::SecondsSince2001))
        storedText_ = std::make_unique<RuleListBytes>(std::move(*text));
}

void NimbrelRulesStore::noteUnreadableStoredRules(const QVariant& value, const QString& error) {
    // One report per distinct failure: every tap loads again, and the same bad data must not
    // flood the activity log.
    if (unreadableValue_ && sameStoredValue(*unreadableValue_, value)) return;
    unreadableValue_ = value;
    unreadableError_ = error;
    unreadableSince_ = now();
    logLine(kComponent, QStringLiteral("failed to decode rules: ") + error);
    record(NimbrelActivityType::error, QStringLiteral("Rules Load Failed"), error);
}

void NimbrelRulesStore::setAsideUnreadableStoredRules() {
    if (!unreadableValue_) return;
    UserDefaults& defaults = *platform_.defaults;
    // Compared so that every value, a NaN too, is the same as itself.
    if (!sameStoredValue(defaults.object(defaultsKey), *unreadableValue_)) return;
    QVariantList kept = defaults.arrayValue(unreadableRulesKey).value_or(QVariantList{});
    for (const QVariant& entry : kept)
        if (sameStoredValue(entry.toMap().value(QStringLiteral("value")), *unreadableValue_)) return;
    kept.append(QVariantMap{{QStringLiteral("value"), *unreadableValue_},
                            {QStringLiteral("failedAt"), QVariant::fromValue(unreadableSince_)},
                            {QStringLiteral("error"), unreadableError_}});
    defaults.set(unreadableRulesKey, kept);
    logLine(kComponent, QStringLiteral("kept the unreadable rules under ") + unreadableRulesKey);
}

void NimbrelRulesStore::save() {
    if (auto problem = encodingProblem(rules_.get())) {
        logLine(kComponent, QStringLiteral("failed to save rules: ") + *problem);
        record(NimbrelActivityType::error, QStringLiteral("Rules Save Failed"), *problem);
        return;
    }
    setAsideUnreadableStoredRules();
    if (!storedText_) storedText_ = std::make_unique<RuleListBytes>(rules_.get(), json::DateForm::SecondsSince2001);
    platform_.defaults->setData(defaultsKey, storedText_->bytes());
    loadedGeneration_ = platform_.defaults->generation(defaultsKey);
}

void NimbrelRulesStore::addRule(const NimbrelRule& rule) {
    editRules({RuleListEdit::append(rules_.get().size(), rule)});
    save();
    pushPayloadUnlessApplying(rule);
    record(NimbrelActivityType::rule, QStringLiteral("Rule Created"), rule.name + QStringLiteral(" was added."));
}

std::optional<size_t> NimbrelRulesStore::positionOf(const Uuid& id) const {
    const std::vector<NimbrelRule>& rules = rules_.get();
    auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id == id; });
    if (it == rules.end()) return std::nullopt;
    return size_t(it - rules.begin());
}

void NimbrelRulesStore::updateRule(const NimbrelRule& rule) {
    const std::optional<size_t> position = positionOf(rule.id);
    if (!position) {
        record(NimbrelActivityType::error, QStringLiteral("Rule Update Failed"),
               QStringLiteral("Nimbrel could not find the rule to update."));
        return;
    }
    NimbrelRule updated = rule;
    updated.updatedAt = now();
    editRules({RuleListEdit::replace(*position, rules_.get()[*position], updated)});
    save();
    pushPayloadUnlessApplying(updated);
    record(NimbrelActivityType::rule, QStringLiteral("Rule Updated"), updated.name + QStringLiteral(" was updated."));
}

void NimbrelRulesStore::deleteRule(const NimbrelRule& rule) {
    std::vector<RuleListEdit> removals;
    const std::vector<NimbrelRule>& before = rules_.get();
    for (size_t i = before.size(); i-- > 0;) // from the end, so the positions of the others hold
        if (before[i].id == rule.id) removals.push_back(RuleListEdit::erase(i, before[i]));
    if (!removals.empty()) editRules(std::move(removals));
    save();
    if (!applyingCloudPayload_) {
        // Remembered until its tombstone is in the cloud, so no pull brings the rule back.
        pendingDeletions().add(rule.id.toString(), now());
        unsentChanges().forgetObject(rule.id.toString());
        startRuleSyncTaskIfEnabled(rule,
                                   [](NimbrelRulesStore& store, const NimbrelRule& r) { store.pushRuleTombstone(r); });
    }
    record(NimbrelActivityType::rule, QStringLiteral("Rule Deleted"), rule.name + QStringLiteral(" was deleted."));
}

void NimbrelRulesStore::pauseRule(const Uuid& id, std::optional<Date> until) {
    const std::optional<size_t> position = positionOf(id);
    if (!position) {
        record(NimbrelActivityType::error, QStringLiteral("Rule Pause Failed"),
               QStringLiteral("Nimbrel could not find the rule to pause."));
        return;
    }
    NimbrelRule paused = rules_.get()[*position];
    paused.pausedUntil = until;
    paused.isEnabled = true;
    paused.updatedAt = now();
    editRules({RuleListEdit::replace(*position, rules_.get()[*position], paused)});
    save();
    pushPayloadUnlessApplying(paused);
    if (until)
        record(NimbrelActivityType::rule, QStringLiteral("Rule Paused"),
               QStringLiteral("%1 was paused until %2.").arg(paused.name, pauseDateFormatter().string(*until)));
    else
        record(NimbrelActivityType::rule, QStringLiteral("Rule Resumed"),
               paused.name + QStringLiteral(" is active again."));
}

} // namespace nimbrel
