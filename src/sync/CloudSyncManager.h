#pragma once

#include "activity/ActivityEntry.h"
#include "platform/CloudDatabase.h"
#include "platform/NotificationCenter.h"
#include "platform/Published.h"
#include "sync/CloudKnownListings.h"
#include "sync/CloudMergeMemory.h"
#include "sync/CloudObjectPushes.h"
#include "sync/CloudOwnCopies.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudPendingChanges.h"
#include "sync/CloudSyncState.h"
#include "sync/SerialQueue.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace nimbrel {

struct Platform;
class NimbrelCloudKitStatusProvider;

// How a save lands on the server's copy.
struct CloudMergeRules {
    // A server copy whose "updatedAt" is later than the record's is kept as it is, so a
    // late or repeated push never brings back an older copy.
    bool keepNewerServerCopy = false;
    // Lists of texts become the server's list followed by the record's ids it lacks, so
    // two additions to one registry never drop each other's ids.
    bool uniteTextLists = false;
};

// `first` followed by the ids of `more` it lacks, each once: how two lists of a registry become one.
QStringList unitedIDs(const QStringList& first, const QStringList& more);

// A listed record that a fetch could not read: its name, and why.
struct CloudUnreadableRecord {
    QString recordName;
    QString problem;

    friend bool operator==(const CloudUnreadableRecord&, const CloudUnreadableRecord&) = default;
};

// What a pull fetched of one payload type: every payload record (newest updatedAt first) and
// every tombstone (newest deletedAt first).
struct CloudPull {
    std::vector<NimbrelCloudPayloadRecord> records;
    std::vector<NimbrelCloudTombstone> tombstones;
    // Every id the registry lists among the deletions, whether or not its tombstone could be read.
    QStringList deletedIDs;
    // Listed payload records and tombstones that are there but could not be read.
    std::vector<CloudUnreadableRecord> unreadableRecords;
    std::vector<CloudUnreadableRecord> unreadableTombstones;
    // One for each record, in their order, when the fetch was given the store's memory of merges,
    // and the generation of the copy of the memory they were read against.
    std::vector<CloudPulledRecordKey> recordKeys;
    quint64 recordKeysGeneration = 0;
};

// What a store holds of one payload type, for a sync registry written anew: the ids of its
// objects and of the deletions it made that may not have reached the cloud yet.
struct CloudHeldIDs {
    QStringList objects;
    QStringList deletions;
};

// How a merged save ended: the record as saved (or the error), and whether the server's newer
// copy was kept instead, so that nothing was written.
struct CloudMergedSave {
    CloudResult<CloudRecord> result;
    bool keptNewerServerCopy = false;
    // The server's copy could not be read, so the record was written whole in its place.
    bool replacedUnreadableRecord = false;
};

// The order in which sync now runs the stores' pulls.
enum class SyncNowSlot { settings, sessions, rules, blacklist };

// All cloud traffic of the program and the sync state the menu shows. Every operation first
// waits for the account, then reports through `syncState`, `lastSuccessfulSyncAt` and the
// activity log; none fails towards its caller. Bound to the main thread; completions come
// later, never from inside the call.
class NimbrelCloudSyncManager : public std::enable_shared_from_this<NimbrelCloudSyncManager> {
  public:
    using Done = std::function<void()>;
    template <typename T> using Completion = std::function<void(T)>;
    using SaveDone = std::function<void(SaveOutcome)>;
    using ErrorDone = std::function<void(std::optional<CloudError>)>;
    // One pull of sync now; calls `done` when it has finished.
    using SyncStep = std::function<void(Done done)>;

    using MergeRules = CloudMergeRules;

    // Fetches of many records go in chunks of this many ids.
    static constexpr size_t kBatchChunk = 200;

    explicit NimbrelCloudSyncManager(Platform& platform, std::shared_ptr<NimbrelCloudKitStatusProvider> status = {});

    static NimbrelCloudSyncManager& shared();
    static std::shared_ptr<NimbrelCloudSyncManager> sharedPtr();

    Published<NimbrelCloudSyncState> syncState{NimbrelCloudSyncState::idle()};
    Published<std::optional<Date>> lastSuccessfulSyncAt;
    Published<std::vector<NimbrelCloudDeviceRecord>> registeredDevices;

    bool isSyncEnabled() const { return syncEnabled_; }
    void setSyncEnabled(bool on) { syncEnabled_ = on; }

    // First cloud work, once, by the settings store: registers this Mac and reads the device list.
    void bootstrap();
    // True once the account is available; waits while it is being checked. A build without
    // the entitlements has its status settled at once, so nothing waits for ever.
    void waitForAccountStatus(Completion<bool> done);
    // Writes `record` onto the server's copy: at most two fetches and three saves.
    void saveRecordMergingServerCopy(const CloudRecord& record, Completion<CloudResult<CloudRecord>> done,
                                     MergeRules rules = {});
    // The server's copy carried by the first conflicting item of a partial failure.
    static std::optional<CloudRecord> serverRecord(const CloudError& error);

    // The settings and blacklist records.
    void saveSettingsPayload(const NimbrelCloudSettingsPayload& payload, SaveDone done = {});
    void fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> done);
    void saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, SaveDone done = {});
    void fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> done);

    // This Mac in the device registry, and the list of the user's Macs.
    void registerCurrentDeviceAndRefreshDevices(Done done = {});
    void registerCurrentDevice(Done done = {});
    void addDeviceToRegistry(const QString& deviceID, ErrorDone done);
    void deviceRegistryIDs(Completion<CloudResult<QStringList>> done);
    void fetchRegisteredDevices(Done done = {});

    // Payload records and tombstones of rules and sessions, entered in the sync registry.
    // Pushes of one object go one after another, the latest replacing any still waiting.
    void savePayloadRecord(const NimbrelCloudPayloadRecord& record, SaveDone done = {});
    void saveTombstone(const NimbrelCloudTombstone& tombstone, SaveDone done = {});
    void addToSyncRegistry(const QString& objectID, const QString& listName, ErrorDone done);

    // A fetched list, or nullopt when the fetch failed (the account, the registry or a batch):
    // a failure is never taken for an empty cloud.
    template <typename T> using FetchedList = std::optional<std::vector<T>>;
    // Every payload record (newest updatedAt first) and tombstone (newest deletedAt first) of a type.
    void fetchPayloadRecords(NimbrelCloudPayloadType type, Completion<FetchedList<NimbrelCloudPayloadRecord>> done);
    void fetchTombstones(NimbrelCloudPayloadType type, Completion<FetchedList<NimbrelCloudTombstone>> done);
    // A store's pull: both fetches, one after the other; nullopt unless both succeeded, since
    // records merged without their tombstones would bring deleted objects back.
    // A tombstone answered with an error of its own (other than a missing record) fails the pull.
    // Every id this Mac knew to be listed among the deletions by the time the pull is lent comes
    // with it, also one listed after the pull read that list.
    // The pull is lent to `done` and freed by a worker afterwards. With the store's memory of
    // merges, a worker reads each record's key against it (`CloudPull::recordKeys`).
    using PullDone = std::function<void(const std::optional<CloudPull>&)>;
    void fetchPayloadsAndTombstones(NimbrelCloudPayloadType type, PullDone done,
                                    std::optional<CloudMergeMemory> mergedBefore = std::nullopt);
    void syncRegistryIDs(const QString& listName, Completion<CloudResult<QStringList>> done);
    // What the store of `type` holds, asked when the sync registry cannot be read and is written
    // anew, so that the new one still lists everything this Mac knows of (the latest given), with
    // every id known to have been listed.
    void setHeldIDs(NimbrelCloudPayloadType type, std::function<CloudHeldIDs()> held) {
        heldIDs_[type] = std::move(held);
    }

    // The activity screen's sync: the stores' pulls in slot order (one step per slot, the
    // latest registered), each awaited, then `done`. Pushes nothing and sets no state itself.
    void addSyncNowStep(SyncNowSlot slot, SyncStep step) { syncNowSteps_[slot] = std::move(step); }
    void syncNow(Done done = {});

    // The objects whose latest push has not reached the cloud (under way, failed, or waiting for
    // the account), kept in the defaults under pendingPushesKey as {push key: full date of the
    // change} from the moment its push is handed in (the stores hand it in as they make the
    // change) until that push succeeds or finds a newer copy there. The stores send their current
    // value again when sync can run (at each pull), also after a restart.
    static inline const QString pendingPushesKey = QStringLiteral("Nimbrel.cloud.pendingPushes");
    static inline const QString settingsPushKey = QStringLiteral("settings");
    static inline const QString blacklistPushKey = QStringLiteral("blacklist");
    static QString pushKey(NimbrelCloudPayloadType type, const QString& objectID);
    // The date of the change not yet in the cloud under `key`, if there is one.
    std::optional<Date> pendingPush(const QString& key) const;
    // A change whose push is still to come (a burst not over yet) waits from now on.
    void markPendingPush(const QString& key, Date changedAt);
    // Calls `push` with the date of the change under `key` when it waits and no push of it is
    // under way; one that `push` does not send again (false) stops waiting.
    void retryPendingPush(const QString& key, const std::function<bool(Date changedAt)>& push);
    // The same for each object of `type`: one `push` does not send again (its store no longer has
    // it, or a change made since while sync could not run replaces it) stops waiting.
    void retryPendingPushes(NimbrelCloudPayloadType type,
                            const std::function<bool(const QString& objectID, Date changedAt)>& push);

    // Tells whose copy a pulled record is: this Mac's by the change tag its save came back with or
    // by its stored device id (read once, as the test is made, for a whole pull).
    std::function<CloudCopySource(const NimbrelCloudPayloadRecord&)> copySourceTest() const;
    // The same for the pulled blacklist.
    CloudCopySource blacklistCopySource(const NimbrelCloudBlacklistPayload& payload) const;
    // An object replaced by another Mac's copy or deleted: its change waiting here and the memory
    // of its own copy in the cloud can win nothing any more.
    void forgetObject(NimbrelCloudPayloadType type, const QString& objectID);

    // Drops the work waiting inside the manager (for the account, a push's turn, a registry's
    // turn): each holds the manager, which would otherwise outlive its last user.
    void releasePendingWork();

    static QString payloadListName(NimbrelCloudPayloadType type) { return "payloadIDs_" + rawValue(type); }
    static QString tombstoneListName(NimbrelCloudPayloadType type) { return "tombstoneIDs_" + rawValue(type); }

  private:
    // What a save records when the cloud's newer copy was kept: its title, and its message by
    // whose copy that is (`sourceOf` the server's copy; without it, another Mac's).
    struct KeptNotice {
        QString title;
        QString ofAnotherMac;
        QString ofThisMac = {}, ofUnknownMac = {};
        std::function<CloudCopySource(const CloudRecord& server)> sourceOf = {};
    };
    // What one save of the save shape writes, and how it reports.
    struct SaveSpec {
        std::function<CloudResult<CloudRecord>()> makeRecord;
        MergeRules rules;
        // Runs after the record was saved (a registry addition); its error fails the save.
        std::function<void(ErrorDone)> afterSave;
        QString failureTitle;
        std::optional<std::pair<NimbrelActivityType, std::pair<QString, QString>>> success;
        // The info recorded when the cloud's newer copy was kept instead.
        std::optional<KeptNotice> kept;
        // Runs with the record as the cloud saved it (its change tag), before `afterSave`.
        std::function<void(const CloudRecord&)> saved = {};
    };

    CloudDatabase* database();
    NimbrelCloudKitStatusProvider& statusProvider();
    Date now() const;
    void later(Done work);
    // Runs `work` on a worker, then `then` on the main thread (both at once without a scheduler).
    void inBackground(Done work, Done then);
    void record(NimbrelActivityType type, const QString& title, const QString& message);
    // The save shape's good end: the date first, then `idle`.
    void succeed();
    // A fetch's or the device operations' good end: `idle` first, then the date.
    void succeedIdleFirst();
    void fail(const QString& title, const CloudError& error);
    // Tells the user, once per record, that a damaged record was written anew.
    void noteReplacedRecord(const QString& recordName);

    void runSave(SaveSpec spec, SaveDone done);
    void mergeSave(const CloudRecord& record, MergeRules rules, Completion<CloudMergedSave> done);
    // With `changedAt`, the object waits under `key` with that date until this push or a later
    // one succeeds; without (a tombstone), its success ends the wait.
    void pushObject(const QString& key, std::optional<Date> changedAt, SaveSpec spec, SaveDone done);
    std::optional<CloudPendingChanges> pendingPushes() const;
    std::optional<CloudOwnCopies> ownCopies() const;
    static QString keptMessage(const KeptNotice& notice, const CloudRecord& server);
    // A save's `saved`: the copy saved under `key` is this Mac's own, known by its change tag and
    // `updatedAt` as a pull reads it.
    std::function<void(const CloudRecord&)> rememberOwnCopy(const QString& key, Date updatedAt);
    void fetchRecord(const CloudRecordID& id, CloudDatabase::RecordCompletion done);
    void saveRecord(const CloudRecord& record, CloudDatabase::RecordCompletion done);
    // The fetch shape of a single record: `read` tells whether it read as a value.
    void fetchSingle(const QString& name, std::function<bool(const CloudRecord&)> read, Done done);
    void fetchRecordsInChunks(std::vector<CloudRecordID> ids, Completion<CloudResult<CloudBatchResult>> done);
    void addToRegistry(const QString& registryName, const QStringList& ids, const QString& listName, ErrorDone done);
    void readRegistryList(const QString& registryName, const QString& listName, bool withThisMac,
                          Completion<CloudResult<QStringList>> done);
    // What a fetch of one registry list read: the values newest first, the ids listed, and the
    // listed records that are there but could not be read.
    template <typename T> struct Listed {
        std::vector<T> values;
        QStringList ids;
        std::vector<CloudUnreadableRecord> unreadable;
        // How many ids of the list this Mac knew of once it was read (`knownListings`).
        qsizetype known = 0;
    };
    template <typename T> struct ListedFetch {
        QString listName;
        QString failureTitle;
        std::function<CloudRecordID(const QString&)> recordID;
        std::function<std::optional<T>(const CloudRecord&)> read;
        std::function<Date(const T&)> date;
        // A record answered with an error of its own, other than missing or damaged, fails the fetch.
        bool itemErrorsFail = false;
    };
    // The record ids of the names in a list of the sync registry, made anew only when the list is
    // not the one read last time (a registry read again unchanged gives that same list).
    std::vector<CloudRecordID> listedRecordIDs(const QString& listName, const QStringList& ids,
                                               const std::function<CloudRecordID(const QString&)>& recordID);
    // The ids of the list fetched in chunks, read, newest first; nullopt when the fetch failed.
    template <typename T> void fetchListed(ListedFetch<T> fetch, Completion<std::optional<Listed<T>>> done);
    void fetchPayloadsListed(NimbrelCloudPayloadType type,
                             Completion<std::optional<Listed<NimbrelCloudPayloadRecord>>> done);
    void fetchTombstonesListed(NimbrelCloudPayloadType type,
                               Completion<std::optional<Listed<NimbrelCloudTombstone>>> done);
    // The registry `registryName` written anew after its record could not be read: every list as
    // last read or written here, and for the sync registry what the stores hold.
    CloudRecord rebuiltRegistry(const QString& registryName);
    CloudKnownListings& knownListings();
    void runSyncNowSteps(std::map<SyncNowSlot, SyncStep>::const_iterator from, Done done);
    void resumeAccountWaiters();

    Platform& platform_;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status_;
    std::shared_ptr<CloudContainer> container_;
    bool syncEnabled_ = true;
    std::map<SyncNowSlot, SyncStep> syncNowSteps_;
    std::vector<Completion<bool>> accountWaiters_;
    ObserverToken accountObserver_;
    CloudObjectPushes pushes_;
    // Additions to one registry record, one after another in this process.
    std::map<QString, SerialQueue> registryQueues_;
    std::set<QString> replacedRecords_;
    // The registry records as last read or written here, by name, and every id of the sync
    // registry's lists known here.
    std::map<QString, CloudRecord> knownRegistries_;
    std::optional<CloudKnownListings> knownListings_;
    struct ListedRecordIDs {
        QStringList ids;
        std::vector<CloudRecordID> recordIDs;
    };
    std::map<QString, ListedRecordIDs> listedRecordIDs_;
    std::map<NimbrelCloudPayloadType, std::function<CloudHeldIDs()>> heldIDs_;
};

} // namespace nimbrel
