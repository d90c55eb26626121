#include "sync/CloudSyncManager.h"

#include <algorithm>

// Rules and sessions: payload records and tombstones pushed and listed in the sync registry,
// and pulled back by the ids it lists.

namespace nimbrel {

namespace {

struct TypeTexts {
    NimbrelActivityType type;
    QString synced, syncedMessage, syncFailed;
    QString deletionSynced, deletionMessage, deletionFailed;
    QString kept, keptMessage;
};

TypeTexts textsOf(NimbrelCloudPayloadType type) {
    if (type == NimbrelCloudPayloadType::session)
        return {
            NimbrelActivityType::session,
            QStringLiteral("Session Synced"),
            QStringLiteral("A session was saved to iCloud and is available on all your devices."),
            QStringLiteral("Session Sync Failed"),
            QStringLiteral("Session Deletion Synced"),
            QStringLiteral("A deleted session was removed from iCloud across all your devices."),
            QStringLiteral("Session Deletion Sync Failed"),
            QStringLiteral("Session Sync Skipped"),
            QStringLiteral("iCloud holds a newer copy of this session from another device, so that copy was kept.")};
    return {NimbrelActivityType::rule,
            QStringLiteral("Rule Synced"),
            QStringLiteral("A rule was saved to iCloud and is available on all your devices."),
            QStringLiteral("Rule Sync Failed"),
            QStringLiteral("Rule Deletion Synced"),
            QStringLiteral("A deleted rule was removed from iCloud across all your devices."),
            QStringLiteral("Rule Deletion Sync Failed"),
            QStringLiteral("Rule Sync Skipped"),
            QStringLiteral("iCloud holds a newer copy of this rule from another device, so that copy was kept.")};
}

} // namespace

void NimbrelCloudSyncManager::addToSyncRegistry(const QString& objectID, const QString& listName, ErrorDone done) {
    addToRegistry(cloudnames::syncRegistry, objectID, listName, std::move(done));
}

void NimbrelCloudSyncManager::syncRegistryIDs(const QString& listName, Completion<CloudResult<QStringList>> done) {
    readRegistryList(cloudnames::syncRegistry, listName, false, std::move(done));
}

void NimbrelCloudSyncManager::savePayloadRecord(const NimbrelCloudPayloadRecord& payload, SaveDone done) {
    const TypeTexts texts = textsOf(payload.payloadType);
    SaveSpec spec;
    spec.makeRecord = [payload] {
        CloudRecord record(recordTypeOf(payload.payloadType), payloadRecordID(payload.payloadType, payload.objectID));
        payload.writeTo(record);
        return CloudResult<CloudRecord>(record);
    };
    // A late push (a retry, or one of another Mac's that arrives first) never replaces a newer copy.
    spec.rules = MergeRules{true, false};
    spec.afterSave = [weak = weak_from_this(), payload](ErrorDone added) {
        if (auto self = weak.lock())
            self->addToSyncRegistry(payload.objectID, payloadListName(payload.payloadType), std::move(added));
    };
    spec.failureTitle = texts.syncFailed;
    spec.success = std::pair{texts.type, std::pair{texts.synced, texts.syncedMessage}};
    spec.kept = std::pair{texts.kept, texts.keptMessage};
    pushObject(pushKey(payload.payloadType, payload.objectID), payload.updatedAt, std::move(spec), std::move(done));
}

void NimbrelCloudSyncManager::saveTombstone(const NimbrelCloudTombstone& tombstone, SaveDone done) {
    const TypeTexts texts = textsOf(tombstone.payloadType);
    SaveSpec spec;
    spec.makeRecord = [tombstone] { return CloudResult<CloudRecord>(tombstone.makeRecord()); };
    spec.afterSave = [weak = weak_from_this(), tombstone](ErrorDone added) {
        if (auto self = weak.lock())
            self->addToSyncRegistry(tombstone.objectID, tombstoneListName(tombstone.payloadType), std::move(added));
    };
    spec.failureTitle = texts.deletionFailed;
    spec.success = std::pair{texts.type, std::pair{texts.deletionSynced, texts.deletionMessage}};
    // One object's pushes share a key, so a tombstone waits for its payload record. A failed
    // tombstone waits as a pending deletion of its store, not here.
    pushObject(pushKey(tombstone.payloadType, tombstone.objectID), std::nullopt, std::move(spec), std::move(done));
}

template <typename T>
void NimbrelCloudSyncManager::fetchListed(const QString& listName, const QString& failureTitle,
                                          std::function<CloudRecordID(const QString&)> recordID,
                                          std::function<std::optional<T>(const CloudRecord&)> read,
                                          std::function<Date(const T&)> date, Completion<FetchedList<T>> done) {
    waitForAccountStatus([self = shared_from_this(), listName, failureTitle, recordID, read, date,
                          done = std::move(done)](bool available) {
        if (!available) {
            self->syncState.set(NimbrelCloudSyncState::offline());
            return done(std::nullopt);
        }
        self->syncState.set(NimbrelCloudSyncState::syncing());
        auto failed = [self, failureTitle, done](const CloudError& error) {
            self->record(NimbrelActivityType::error, failureTitle, error.localizedDescription);
            self->syncState.set(NimbrelCloudSyncState::failed(error.localizedDescription));
            done(std::nullopt);
        };
        self->syncRegistryIDs(listName, [self, recordID, read, date, done, failed](CloudResult<QStringList> ids) {
            if (!ids.ok()) return failed(ids.error());
            if (ids.value().isEmpty()) {
                self->syncState.set(NimbrelCloudSyncState::idle());
                return done(std::vector<T>{});
            }
            std::vector<CloudRecordID> recordIDs;
            for (const QString& id : ids.value())
                recordIDs.push_back(recordID(id));
            self->fetchRecordsInChunks(
                recordIDs, [self, read, date, done, failed](CloudResult<CloudBatchResult> batch) {
                    if (!batch.ok()) return failed(batch.error());
                    std::vector<T> values;
                    for (const auto& [id, result] : batch.value()) {
                        if (!result.ok()) continue; // listed but missing
                        if (auto value = read(result.value())) values.push_back(std::move(*value));
                    }
                    std::stable_sort(values.begin(), values.end(),
                                     [&date](const T& a, const T& b) { return date(a) > date(b); });
                    self->succeedIdleFirst();
                    done(std::move(values));
                });
        });
    });
}

void NimbrelCloudSyncManager::fetchPayloadRecords(NimbrelCloudPayloadType type,
                                                  Completion<FetchedList<NimbrelCloudPayloadRecord>> done) {
    fetchListed<NimbrelCloudPayloadRecord>(
        payloadListName(type), QStringLiteral("Payload Fetch Failed"),
        [type](const QString& id) { return payloadRecordID(type, id); }, &NimbrelCloudPayloadRecord::fromRecord,
        [](const NimbrelCloudPayloadRecord& r) { return r.updatedAt; }, std::move(done));
}

void NimbrelCloudSyncManager::fetchTombstones(NimbrelCloudPayloadType type,
                                              Completion<FetchedList<NimbrelCloudTombstone>> done) {
    fetchListed<NimbrelCloudTombstone>(
        tombstoneListName(type), QStringLiteral("Delete Fetch Failed"),
        [type](const QString& id) { return tombstoneRecordID(type, id); }, &NimbrelCloudTombstone::fromRecord,
        [](const NimbrelCloudTombstone& t) { return t.deletedAt; }, std::move(done));
}

void NimbrelCloudSyncManager::fetchPayloadsAndTombstones(NimbrelCloudPayloadType type,
                                                         Completion<std::optional<CloudPull>> done) {
    // The tombstones are fetched even after a failed payload fetch, so each failure is reported.
    fetchPayloadRecords(type, [self = shared_from_this(), type,
                               done = std::move(done)](FetchedList<NimbrelCloudPayloadRecord> records) {
        self->fetchTombstones(type,
                              [records = std::move(records), done](FetchedList<NimbrelCloudTombstone> tombstones) {
                                  if (!records || !tombstones) return done(std::nullopt);
                                  done(CloudPull{std::move(*records), std::move(*tombstones)});
                              });
    });
}

} // namespace nimbrel
