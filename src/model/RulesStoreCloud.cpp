#include "model/RulesStore.h"

#include "model/BlacklistStore.h"
#include "model/RuleCoding.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "sync/CloudCopyOrder.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"

#include <algorithm>
#include <set>

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
    startRuleSyncTaskIfEnabled(rule, [](NimbrelRulesStore& store, const NimbrelRule& r) { store.pushRulePayload(r); });
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
    // Deletions and changes that did not reach the cloud before go out first, as they are now.
    pushPendingDeletions();
    links_.syncManager().retryPendingPushes(NimbrelCloudPayloadType::rule, [this](const QString& id) {
        const auto& rules = rules_.get();
        auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id.toString() == id; });
        if (it == rules.end()) return false;
        pushRulePayload(*it);
        return true;
    });
    std::weak_ptr<NimbrelRulesStore> weak = weak_from_this();
    auto finish = [scheduler = platform_.scheduler, done = std::move(done)] {
        if (done) scheduler->post(done);
    };
    // A pull whose fetches did not both succeed leaves the rules as they are.
    auto apply = [weak, finish](std::optional<CloudPull> pulled) {
        if (auto store = weak.lock(); store && pulled) store->applyCloudRules(pulled->records, pulled->tombstones);
        finish();
    };
    links_.syncManager().fetchPayloadsAndTombstones(NimbrelCloudPayloadType::rule, std::move(apply));
}

void NimbrelRulesStore::applyCloudRules(const std::vector<NimbrelCloudPayloadRecord>& records,
                                        const std::vector<NimbrelCloudTombstone>& tombstones) {
    std::set<QString> deleted;
    for (const NimbrelCloudTombstone& tombstone : tombstones)
        deleted.insert(tombstone.objectID);
    // Rules deleted here whose tombstones are still on their way stay deleted.
    for (const auto& [id, when] : pendingDeletions().entries())
        deleted.insert(id);

    std::vector<NimbrelRule> merged = rules_.get();
    std::erase_if(merged, [&](const NimbrelRule& r) { return deleted.count(r.id.toString()) > 0; });

    const CloudJSONEncoder encoder = NimbrelCloudPayloadRecord::makeJSONEncoder();
    for (const NimbrelCloudPayloadRecord& record : records) {
        if (deleted.count(record.objectID)) continue;
        json::Decoded<NimbrelRule> decoded = decodeRule(record.payload, json::DateForm::ISO8601);
        if (!decoded) {
            this->record(NimbrelActivityType::error, QStringLiteral("Rule Decode Failed"), decoded.error);
            continue;
        }
        NimbrelRule& pulled = *decoded.value;
        // A record filed under another id must not bring back a rule deleted in this pull.
        if (deleted.count(pulled.id.toString())) continue;
        auto it = std::find_if(merged.begin(), merged.end(), [&](const NimbrelRule& r) { return r.id == pulled.id; });
        if (it == merged.end())
            merged.push_back(std::move(pulled));
        else if (isNewerCloudCopy(pulled.updatedAt, it->updatedAt, [&] {
                     // Equal values are the common case; encodings differ only in what a payload
                     // carries (a date's fraction of a second is not).
                     return !(pulled == *it) && encoder.encode(toJson(pulled, encoder.dateForm)) !=
                                                    encoder.encode(toJson(*it, encoder.dateForm));
                 }))
            *it = std::move(pulled);
    }

    if (merged == rules_.get()) return;

    applyingCloudPayload_ = true;
    std::stable_sort(merged.begin(), merged.end(),
                     [](const NimbrelRule& a, const NimbrelRule& b) { return a.createdAt > b.createdAt; });
    assignRules(std::move(merged), std::nullopt);
    save();
    applyingCloudPayload_ = false;
    record(NimbrelActivityType::rule, QStringLiteral("Rules Synced From iCloud"),
           QStringLiteral("Rules were updated from another device."));
}

void NimbrelRulesStore::startCloudPullTriggers() {
    NimbrelCloudSyncManager& sync = links_.syncManager();
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
