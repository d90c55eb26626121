#include "model/RulesStore.h"

#include "model/BlacklistStore.h"
#include "model/RuleCoding.h"
#include "model/RuleMergeEdits.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "sync/CloudCopyOrder.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"

#include <algorithm>

namespace nimbrel {

bool NimbrelRulesStore::isSyncAllowed() const {
    return links_.isSyncEnabled() && !isGlobalPauseActive(*platform_.defaults);
}

void NimbrelRulesStore::startRuleSyncTaskIfEnabled(const NimbrelRule& rule, SyncOperation operation) {
    if (!isSyncAllowed()) return;
    std::weak_ptr<NimbrelRulesStore> weak = weak_from_this();
    platform_.scheduler->post([weak, copy = rule, operation = std::move(operation)] {
        if (auto store = weak.lock()) operation(*store, copy);
    });
}

void NimbrelRulesStore::pushPayloadUnlessApplying(const NimbrelRule& rule) {
    if (applyingCloudPayload_) return;
    if (!isSyncAllowed()) return unsentChanges().madeWhileOff(rule.id.toString(), rule.updatedAt);
    unsentChanges().forget(rule.id.toString());
    // Handed in at once: the sync manager marks the change as waiting in the turn it is made, so a
    // quit before its push goes out does not lose it.
    pushRulePayload(rule);
}

void NimbrelRulesStore::pushRulePayload(const NimbrelRule& rule) {
    if (auto problem = encodingProblem({rule})) {
        this->record(NimbrelActivityType::error, QStringLiteral("Rule Sync Encoding Failed"), *problem);
        return;
    }
    const CloudJSONEncoder encoder = NimbrelCloudPayloadRecord::makeJSONEncoder();
    NimbrelCloudPayloadRecord record;
    record.objectID = rule.id.toString();
    record.payloadType = NimbrelCloudPayloadType::rule;
    record.payload = encoder.encode(toJson(rule, encoder.dateForm));
    record.sourceDeviceID = NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(platform_);
    record.createdAt = rule.createdAt;
    record.updatedAt = rule.updatedAt;
    record.schemaVersion = 1;
    links_.syncManager().savePayloadRecord(record);
}

void NimbrelRulesStore::pushRuleTombstone(const NimbrelRule& rule) {
    pushRuleTombstone(rule.id.toString(), now());
}

void NimbrelRulesStore::pushRuleTombstone(const QString& objectID, Date deletedAt) {
    NimbrelCloudTombstone tombstone;
    tombstone.objectID = objectID;
    tombstone.payloadType = NimbrelCloudPayloadType::rule;
    tombstone.sourceDeviceID = NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(platform_);
    tombstone.deletedAt = deletedAt;
    tombstone.schemaVersion = 1;
    std::weak_ptr<NimbrelRulesStore> weak = weak_from_this();
    links_.syncManager().saveTombstone(tombstone, [weak, objectID](SaveOutcome outcome) {
        if (auto store = weak.lock(); store && outcome == SaveOutcome::saved)
            store->pendingDeletions().remove(objectID);
    });
}

CloudPendingChanges NimbrelRulesStore::pendingDeletions() const {
    return CloudPendingChanges(*platform_.defaults, pendingDeletionsKey);
}

CloudUnsentChanges NimbrelRulesStore::unsentChanges() const {
    return {*platform_.defaults, unsentChangesKey, links_.syncManager(), NimbrelCloudPayloadType::rule};
}

void NimbrelRulesStore::pushPendingDeletions() {
    for (const auto& [id, deletedAt] : pendingDeletions().entries())
        pushRuleTombstone(id, deletedAt);
}

void NimbrelRulesStore::pullFromCloud(std::function<void()> done) {
    if (!isSyncAllowed()) {
        if (done) platform_.scheduler->post(std::move(done));
        return;
    }
    fetchAndApply(std::move(done));
}

void NimbrelRulesStore::startInitialCloudPull() {
    if (!isSyncAllowed()) return;
    platform_.scheduler->post(weakly(shared_from_this(), [](NimbrelRulesStore& store) { store.fetchAndApply({}); }));
}

void NimbrelRulesStore::fetchAndApply(std::function<void()> done) {
    // Deletions and changes that did not reach the cloud before go out first, as they are now;
    // a change made since while sync could not run is never sent, and the waiting one gives way.
    pushPendingDeletions();
    links_.syncManager().retryPendingPushes(NimbrelCloudPayloadType::rule, [this](const QString& id, Date marked) {
        const auto& rules = rules_.get();
        auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id.toString() == id; });
        if (it == rules.end() || unsentChanges().madeWhileOff(id)) return false;
        NimbrelRule resent = *it;
        resent.updatedAt = resendDate(it->updatedAt, marked);
        pushRulePayload(resent);
        return true;
    });
    std::weak_ptr<NimbrelRulesStore> weak = weak_from_this();
    auto finish = [scheduler = platform_.scheduler, done = std::move(done)] {
        if (done) scheduler->post(done);
    };
    // A pull whose fetches did not both succeed leaves the rules as they are.
    auto apply = [weak, finish](const std::optional<CloudPull>& pulled) {
        if (auto store = weak.lock(); store && pulled) store->applyCloudPull(*pulled);
        finish();
    };
    // A worker checks the records against what earlier pulls merged, so the main thread does not
    // read every unchanged one.
    links_.syncManager().fetchPayloadsAndTombstones(NimbrelCloudPayloadType::rule, std::move(apply), mergedRecords_);
}

void NimbrelRulesStore::applyCloudRules(const std::vector<NimbrelCloudPayloadRecord>& records,
                                        const std::vector<NimbrelCloudTombstone>& tombstones) {
    applyCloudPull(CloudPull{records, tombstones, {}, {}, {}, {}});
}

void NimbrelRulesStore::applyCloudPull(const CloudPull& pull) {
    const CloudJSONEncoder encoder = NimbrelCloudPayloadRecord::makeJSONEncoder();
    CloudMergeCoding<NimbrelRule> coding;
    coding.platform = &platform_;
    coding.decodeFailedTitle = QStringLiteral("Rule Decode Failed");
    coding.component = QStringLiteral("NimbrelRulesStore");
    coding.decode = [](const NimbrelCloudPayloadRecord& record) {
        return decodeRule(record.payload, json::DateForm::ISO8601);
    };
    // Equal values are the common case; encodings differ only in what a payload carries (a date's
    // fraction of a second is not).
    coding.differs = [&encoder](const NimbrelRule& pulled, const NimbrelRule& held) {
        return !(pulled == held) &&
               encoder.encode(toJson(pulled, encoder.dateForm)) != encoder.encode(toJson(held, encoder.dateForm));
    };
    coding.unsentChange = [unsent = unsentChanges()](const NimbrelRule& held) {
        return unsent.unsentChange(held.id.toString(), held.updatedAt);
    };
    coding.sourceOf = links_.syncManager().copySourceTest();
    // Rules deleted here whose tombstones are still on their way stay deleted.
    CloudMergeChanges<NimbrelRule> changes = mergeCloudChanges(
        rules_.get(), pull, deletedObjectIDs(pull, pendingDeletions().entries()), mergedRecords_, coding);
    if (changes.empty()) return;
    forgetChangesOfLostCopies(unsentChanges(), rules_.get(), changes);

    applyingCloudPayload_ = true;
    // As a save does: only the changed rules are encoded again, and the tap lookup and the
    // screens follow them, also when nearly every rule moves (a list kept in the order its rules
    // were made, which the first pull that changes anything sorts newest first).
    SortedMerge merge = sortedMerge(rules_.get(), changes);
    if (auto* edits = std::get_if<std::vector<RuleListEdit>>(&merge))
        editRules(std::move(*edits));
    else
        arrangeRules(std::get<RuleListArrangement>(merge));
    save();
    applyingCloudPayload_ = false;
    if (auto message = changes.syncedMessage(QStringLiteral("Rules were updated from another device."),
                                             QStringLiteral("Rules were updated from iCloud.")))
        record(NimbrelActivityType::rule, QStringLiteral("Rules Synced From iCloud"), *message);
}

void NimbrelRulesStore::startCloudPullTriggers() {
    NimbrelCloudSyncManager& sync = links_.syncManager();
    sync.setHeldIDs(NimbrelCloudPayloadType::rule, [weak = weak_from_this()] {
        CloudHeldIDs held;
        if (auto store = weak.lock()) {
            for (const NimbrelRule& rule : store->rules_.get())
                held.objects << rule.id.toString();
            for (const auto& [id, deletedAt] : store->pendingDeletions().entries())
                held.deletions << id;
        }
        return held;
    });
    cloudPulls_.start<NimbrelRulesStore>(
        shared_from_this(), platform_, [](NimbrelRulesStore& store) { store.startInitialCloudPull(); },
        [](NimbrelRulesStore& store, CloudStoreLifecycle::Done done) { store.pullFromCloud(std::move(done)); }, &sync,
        SyncNowSlot::rules);
    // The blacklist store is made by its step of sync now when it does not exist yet, and at once
    // when a change of the blacklist has not reached the cloud: its pulls send it again.
    sync.addSyncNowStep(SyncNowSlot::blacklist,
                        [](std::function<void()> done) { BlacklistStore::shared().pullFromCloud(std::move(done)); });
    if (sync.pendingPush(NimbrelCloudSyncManager::blacklistPushKey))
        platform_.scheduler->post([] { BlacklistStore::shared(); });
}

} // namespace nimbrel
