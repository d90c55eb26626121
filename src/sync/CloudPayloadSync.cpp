#include "sync/CloudSyncManager.h"

#include "platform/Platform.h"
#include "platform/Scheduler.h"

#include <algorithm>
#include <set>

// Rules and sessions: payload records and tombstones pushed and listed in the sync registry,
// and pulled back by the ids it lists.

namespace nimbrel {

namespace {

struct TypeTexts {
    NimbrelActivityType type;
    QString synced, syncedMessage, syncFailed;
    QString deletionSynced, deletionMessage, deletionFailed;
    QString kept, keptOfAnotherMac, keptOfThisMac, keptOfUnknownMac;
};

TypeTexts textsOf(NimbrelCloudPayloadType type) {
    if (type == NimbrelCloudPayloadType::session)
        return {NimbrelActivityType::session,
                QStringLiteral("Session Synced"),
                QStringLiteral("A session was saved to iCloud and is available on all your devices."),
                QStringLiteral("Session Sync Failed"),
                QStringLiteral("Session Deletion Synced"),
                QStringLiteral("A deleted session was removed from iCloud across all your devices."),
                QStringLiteral("Session Deletion Sync Failed"),
                QStringLiteral("Session Sync Skipped"),
                QStringLiteral("iCloud holds a newer copy of this session from another device, so that copy was kept."),
                QStringLiteral("iCloud holds a newer copy of this session saved on this Mac, so that copy was kept."),
                QStringLiteral("iCloud holds a newer copy of this session, so that copy was kept.")};
    return {NimbrelActivityType::rule,
            QStringLiteral("Rule Synced"),
            QStringLiteral("A rule was saved to iCloud and is available on all your devices."),
            QStringLiteral("Rule Sync Failed"),
            QStringLiteral("Rule Deletion Synced"),
            QStringLiteral("A deleted rule was removed from iCloud across all your devices."),
            QStringLiteral("Rule Deletion Sync Failed"),
            QStringLiteral("Rule Sync Skipped"),
            QStringLiteral("iCloud holds a newer copy of this rule from another device, so that copy was kept."),
            QStringLiteral("iCloud holds a newer copy of this rule saved on this Mac, so that copy was kept."),
            QStringLiteral("iCloud holds a newer copy of this rule, so that copy was kept.")};
}

// Stable, by their dates, newest first: the dates are sorted, and each value moved once.
template <typename T> void sortNewestFirst(std::vector<T>& values, const std::function<Date(const T&)>& date) {
    std::vector<std::pair<Date, size_t>> order;
    order.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        order.emplace_back(date(values[i]), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<T> sorted;
    sorted.reserve(values.size());
    for (const auto& [when, at] : order)
        sorted.push_back(std::move(values[at]));
    values = std::move(sorted);
}

} // namespace

void NimbrelCloudSyncManager::addToSyncRegistry(const QString& objectID, const QString& listName, ErrorDone done) {
    addToRegistry(cloudnames::syncRegistry, {objectID}, listName, std::move(done));
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
    spec.saved = rememberOwnCopy(pushKey(payload.payloadType, payload.objectID), payload.updatedAt);
    spec.failureTitle = texts.syncFailed;
    spec.success = std::pair{texts.type, std::pair{texts.synced, texts.syncedMessage}};
    spec.kept = KeptNotice{texts.kept, texts.keptOfAnotherMac, texts.keptOfThisMac, texts.keptOfUnknownMac,
                           [weak = weak_from_this()](const CloudRecord& server) {
                               auto self = weak.lock();
                               const auto copy = NimbrelCloudPayloadRecord::fromRecord(server);
                               return self && copy ? self->copySourceTest()(*copy) : CloudCopySource::unknown;
                           }};
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

namespace {

// What a worker makes of a batch: the records read, newest first, and those that could not be read;
// or the error of a record that fails the whole fetch.
template <typename T> struct ReadBatch {
    std::optional<CloudError> failure;
    std::vector<T> values;
    std::vector<CloudUnreadableRecord> unreadable;
};

template <typename T>
ReadBatch<T> readBatch(CloudBatchResult batch, const std::function<std::optional<T>(const CloudRecord&)>& read,
                       const std::function<Date(const T&)>& date, bool itemErrorsFail) {
    ReadBatch<T> out;
    out.values.reserve(batch.size());
    std::set<QString> reported; // a name listed twice is reported once
    auto unreadable = [&](const CloudRecordID& id, const QString& problem) {
        if (reported.insert(id.recordName).second) out.unreadable.push_back({id.recordName, problem});
    };
    for (const auto& [id, result] : batch) {
        if (!result.ok()) {
            const CloudError& error = result.error();
            if (error.hasCode(CloudError::unknownItem)) continue; // listed but never written
            if (itemErrorsFail && !error.unreadableRecord) {
                out.failure = error;
                return out;
            }
            unreadable(id, error.localizedDescription);
        } else if (auto value = read(result.value())) {
            out.values.push_back(std::move(*value));
        } else {
            unreadable(id, QStringLiteral("A field is missing or of another kind."));
        }
    }
    sortNewestFirst(out.values, date);
    return out;
}

// Each record's object id read as a UUID, and the memory's entry for it under the record's tag.
std::vector<CloudPulledRecordKey> recordKeys(const CloudPull& pull, const CloudMergeMemory& memory) {
    std::vector<CloudPulledRecordKey> keys;
    keys.reserve(pull.records.size());
    for (const NimbrelCloudPayloadRecord& record : pull.records) {
        CloudPulledRecordKey& key = keys.emplace_back();
        key.objectID = Uuid::parse(record.objectID);
        const CloudMergedRecord* merged = key.objectID ? memory.find(*key.objectID) : nullptr;
        if (merged && !record.recordChangeTag.isEmpty() && merged->changeTag == record.recordChangeTag)
            key.mergedBefore = *merged;
    }
    return keys;
}

} // namespace

std::vector<CloudRecordID>
NimbrelCloudSyncManager::listedRecordIDs(const QString& listName, const QStringList& ids,
                                         const std::function<CloudRecordID(const QString&)>& recordID) {
    ListedRecordIDs& made = listedRecordIDs_[listName];
    // The same list as last time (shared, so unchanged) has the same names.
    if (made.ids.constData() != ids.constData() || made.ids.size() != ids.size()) {
        made.ids = ids;
        made.recordIDs.clear();
        made.recordIDs.reserve(size_t(ids.size()));
        for (const QString& id : ids)
            made.recordIDs.push_back(recordID(id));
    }
    return made.recordIDs;
}

template <typename T>
void NimbrelCloudSyncManager::fetchListed(ListedFetch<T> fetch, Completion<std::optional<Listed<T>>> done) {
    // The steps share one state rather than copies of `done`, which may hold what an earlier
    // fetch brought (the payload records, while the tombstones are fetched).
    struct Fetching {
        ListedFetch<T> fetch;
        Completion<std::optional<Listed<T>>> done;
    };
    auto fetching = std::make_shared<Fetching>(Fetching{std::move(fetch), std::move(done)});
    waitForAccountStatus([self = shared_from_this(), fetching](bool available) {
        if (!available) {
            self->syncState.set(NimbrelCloudSyncState::offline());
            return fetching->done(std::nullopt);
        }
        self->syncState.set(NimbrelCloudSyncState::syncing());
        auto failed = [self, fetching](const CloudError& error) {
            self->record(NimbrelActivityType::error, fetching->fetch.failureTitle, error.localizedDescription);
            self->syncState.set(NimbrelCloudSyncState::failed(error.localizedDescription));
            fetching->done(std::nullopt);
        };
        self->syncRegistryIDs(fetching->fetch.listName, [self, fetching, failed](CloudResult<QStringList> ids) {
            if (!ids.ok()) return failed(ids.error());
            const qsizetype known = self->knownListings().ids(fetching->fetch.listName).size();
            if (ids.value().isEmpty()) {
                self->syncState.set(NimbrelCloudSyncState::idle());
                return fetching->done(Listed<T>{{}, {}, {}, known});
            }
            std::vector<CloudRecordID> recordIDs =
                self->listedRecordIDs(fetching->fetch.listName, ids.value(), fetching->fetch.recordID);
            self->fetchRecordsInChunks(std::move(recordIDs), [self, fetching, failed, listed = ids.value(),
                                                              known](CloudResult<CloudBatchResult> batch) {
                if (!batch.ok()) return failed(batch.error());
                // Reading thousands of records, sorting them and freeing what they were read from
                // is a worker's part; the worker holds nothing of the main thread's.
                auto read = std::make_shared<ReadBatch<T>>();
                auto work = [read, batch = std::make_shared<CloudBatchResult>(std::move(batch.value())),
                             reader = fetching->fetch.read, date = fetching->fetch.date,
                             itemErrorsFail = fetching->fetch.itemErrorsFail] {
                    *read = readBatch(std::move(*batch), reader, date, itemErrorsFail);
                };
                self->inBackground(std::move(work), [self, fetching, failed, listed, known, read] {
                    if (read->failure) return failed(*read->failure);
                    self->succeedIdleFirst();
                    fetching->done(Listed<T>{std::move(read->values), listed, std::move(read->unreadable), known});
                });
            });
        });
    });
}

void NimbrelCloudSyncManager::fetchPayloadsListed(NimbrelCloudPayloadType type,
                                                  Completion<std::optional<Listed<NimbrelCloudPayloadRecord>>> done) {
    fetchListed<NimbrelCloudPayloadRecord>({payloadListName(type), QStringLiteral("Payload Fetch Failed"),
                                            [type](const QString& id) { return payloadRecordID(type, id); },
                                            &NimbrelCloudPayloadRecord::fromRecord,
                                            [](const NimbrelCloudPayloadRecord& r) { return r.updatedAt; }},
                                           std::move(done));
}

void NimbrelCloudSyncManager::fetchTombstonesListed(NimbrelCloudPayloadType type,
                                                    Completion<std::optional<Listed<NimbrelCloudTombstone>>> done) {
    // A tombstone left out for a passing error would let its object come back in this pull.
    fetchListed<NimbrelCloudTombstone>({tombstoneListName(type), QStringLiteral("Delete Fetch Failed"),
                                        [type](const QString& id) { return tombstoneRecordID(type, id); },
                                        &NimbrelCloudTombstone::fromRecord,
                                        [](const NimbrelCloudTombstone& t) { return t.deletedAt; }, true},
                                       std::move(done));
}

void NimbrelCloudSyncManager::fetchPayloadRecords(NimbrelCloudPayloadType type,
                                                  Completion<FetchedList<NimbrelCloudPayloadRecord>> done) {
    fetchPayloadsListed(type, [done = std::move(done)](std::optional<Listed<NimbrelCloudPayloadRecord>> listed) {
        done(listed ? FetchedList<NimbrelCloudPayloadRecord>(std::move(listed->values)) : std::nullopt);
    });
}

void NimbrelCloudSyncManager::fetchTombstones(NimbrelCloudPayloadType type,
                                              Completion<FetchedList<NimbrelCloudTombstone>> done) {
    fetchTombstonesListed(type, [done = std::move(done)](std::optional<Listed<NimbrelCloudTombstone>> listed) {
        done(listed ? FetchedList<NimbrelCloudTombstone>(std::move(listed->values)) : std::nullopt);
    });
}

void NimbrelCloudSyncManager::fetchPayloadsAndTombstones(NimbrelCloudPayloadType type, PullDone done,
                                                         std::optional<CloudMergeMemory> mergedBefore) {
    // The tombstones are fetched even after a failed payload fetch, so each failure is reported.
    fetchPayloadsListed(
        type, [self = shared_from_this(), type, done = std::move(done), mergedBefore = std::move(mergedBefore)](
                  std::optional<Listed<NimbrelCloudPayloadRecord>> records) mutable {
            self->fetchTombstonesListed(type, [self, type, records = std::move(records), done = std::move(done),
                                               mergedBefore = std::move(mergedBefore)](
                                                  std::optional<Listed<NimbrelCloudTombstone>> tombstones) mutable {
                Scheduler* scheduler = self->platform_.scheduler;
                if (!records || !tombstones) {
                    done(std::nullopt);
                    return releaseInBackground(scheduler, std::move(records));
                }
                auto pull = std::make_shared<std::optional<CloudPull>>(CloudPull{std::move(records->values),
                                                                                 std::move(tombstones->values),
                                                                                 std::move(tombstones->ids),
                                                                                 std::move(records->unreadable),
                                                                                 std::move(tombstones->unreadable),
                                                                                 {}});
                // A store forgets a deletion it made once its tombstone is listed, which may be after
                // this pull read the list: what this Mac has known to be listed since comes with it.
                auto lend = [self, scheduler, pull, listName = tombstoneListName(type), known = tombstones->known,
                             done = std::move(done)] {
                    (*pull)->deletedIDs += self->knownListings().ids(listName).mid(known);
                    done(*pull);
                    releaseInBackground(scheduler, std::move(*pull));
                };
                if (!mergedBefore) return lend();
                self->inBackground(
                    [pull, memory = std::move(*mergedBefore)] {
                        (*pull)->recordKeys = recordKeys(**pull, memory);
                        (*pull)->recordKeysGeneration = memory.generation();
                    },
                    std::move(lend));
            });
        });
}

} // namespace nimbrel
