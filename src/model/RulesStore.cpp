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

namespace nimbrel {

namespace {

const QString kComponent = QStringLiteral("NimbrelRulesStore");

bool finite(Date d) {
    return std::isfinite(d.secondsSinceReferenceDate);
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
    assignRules(std::move(rules), std::nullopt);
}

void NimbrelRulesStore::assignRules(std::vector<NimbrelRule> rules, std::optional<quint64> storedGeneration) {
    triggerIndex_.reset();
    storedText_.reset();
    rules_.set(std::move(rules));
    loadedGeneration_ = storedGeneration;
}

void NimbrelRulesStore::editRules(std::vector<NimbrelRule> rules, const std::vector<RuleListEdit>& edits) {
    // Taken out while the list changes: an observer that taps then makes its own from the new list.
    std::unique_ptr<RuleTriggerIndex> index = std::move(triggerIndex_);
    std::unique_ptr<RuleListBytes> text = std::move(storedText_);
    for (const RuleListEdit& edit : edits) {
        if (index) index->apply(edit);
        if (text) text->apply(edit);
    }
    rules_.set(std::move(rules));
    loadedGeneration_.reset();
    triggerIndex_ = std::move(index);
    storedText_ = std::move(text);
}

void NimbrelRulesStore::load() {
    const quint64 generation = platform_.defaults->generation(defaultsKey);
    if (loadedGeneration_ == generation) return; // the list already reflects the stored value

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
    std::vector<NimbrelRule> rules = rules_.get();
    rules.push_back(rule);
    editRules(std::move(rules), {RuleListEdit::append(rules_.get().size(), rule)});
    save();
    pushPayloadUnlessApplying(rule);
    record(NimbrelActivityType::rule, QStringLiteral("Rule Created"), rule.name + QStringLiteral(" was added."));
}

void NimbrelRulesStore::updateRule(const NimbrelRule& rule) {
    std::vector<NimbrelRule> rules = rules_.get();
    auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id == rule.id; });
    if (it == rules.end()) {
        record(NimbrelActivityType::error, QStringLiteral("Rule Update Failed"),
               QStringLiteral("Nimbrel could not find the rule to update."));
        return;
    }
    NimbrelRule updated = rule;
    updated.updatedAt = now();
    *it = updated;
    const size_t position = size_t(it - rules.begin());
    editRules(std::move(rules), {RuleListEdit::replace(position, rules_.get()[position], updated)});
    save();
    pushPayloadUnlessApplying(updated);
    record(NimbrelActivityType::rule, QStringLiteral("Rule Updated"), updated.name + QStringLiteral(" was updated."));
}

void NimbrelRulesStore::deleteRule(const NimbrelRule& rule) {
    std::vector<NimbrelRule> rules = rules_.get();
    std::erase_if(rules, [&](const NimbrelRule& r) { return r.id == rule.id; });
    std::vector<RuleListEdit> removals;
    const std::vector<NimbrelRule>& before = rules_.get();
    for (size_t i = before.size(); i-- > 0;) // from the end, so the positions of the others hold
        if (before[i].id == rule.id) removals.push_back(RuleListEdit::erase(i, before[i]));
    editRules(std::move(rules), removals);
    save();
    if (!applyingCloudPayload_) {
        // Remembered until its tombstone is in the cloud, so no pull brings the rule back.
        pendingDeletions().add(rule.id.toString(), now());
        startRuleSyncTaskIfEnabled(rule,
                                   [](NimbrelRulesStore& store, const NimbrelRule& r) { store.pushRuleTombstone(r); });
    }
    record(NimbrelActivityType::rule, QStringLiteral("Rule Deleted"), rule.name + QStringLiteral(" was deleted."));
}

void NimbrelRulesStore::pauseRule(const Uuid& id, std::optional<Date> until) {
    std::vector<NimbrelRule> rules = rules_.get();
    auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id == id; });
    if (it == rules.end()) {
        record(NimbrelActivityType::error, QStringLiteral("Rule Pause Failed"),
               QStringLiteral("Nimbrel could not find the rule to pause."));
        return;
    }
    NimbrelRule paused = *it;
    paused.pausedUntil = until;
    paused.isEnabled = true;
    paused.updatedAt = now();
    *it = paused;
    const size_t position = size_t(it - rules.begin());
    editRules(std::move(rules), {RuleListEdit::replace(position, rules_.get()[position], paused)});
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
