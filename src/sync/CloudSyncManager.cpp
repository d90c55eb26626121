#include "sync/CloudSyncManager.h"

#include "activity/ActivityRecorder.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/DeviceIdentity.h"

namespace nimbrel {

NimbrelCloudSyncManager::NimbrelCloudSyncManager(Platform& platform,
                                                 std::shared_ptr<NimbrelCloudKitStatusProvider> status)
    : platform_(platform), status_(std::move(status)) {}

std::shared_ptr<NimbrelCloudSyncManager> NimbrelCloudSyncManager::sharedPtr() {
    return sharedInstancePtr<NimbrelCloudSyncManager>(
        [] { return std::make_shared<NimbrelCloudSyncManager>(Platform::current()); });
}

NimbrelCloudSyncManager& NimbrelCloudSyncManager::shared() {
    return *sharedPtr();
}

NimbrelCloudKitStatusProvider& NimbrelCloudSyncManager::statusProvider() {
    if (!status_) status_ = NimbrelCloudKitStatusProvider::sharedPtr();
    return *status_;
}

CloudDatabase* NimbrelCloudSyncManager::database() {
    // The container is made on first use, and only for a program entitled to it.
    if (!container_) {
        if (!platform_.cloud || !NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(platform_)) return nullptr;
        container_ = platform_.cloud->container(NimbrelCloudKitStatusProvider::containerIdentifier(platform_));
    }
    return &container_->privateCloudDatabase();
}

Date NimbrelCloudSyncManager::now() const {
    return platform_.clock ? platform_.clock->now() : Date{};
}

void NimbrelCloudSyncManager::later(Done work) {
    if (!work) return;
    if (platform_.scheduler)
        platform_.scheduler->post(std::move(work));
    else
        work();
}

void NimbrelCloudSyncManager::inBackground(Done work, Done then) {
    if (platform_.scheduler) return platform_.scheduler->runInBackground(std::move(work), std::move(then));
    work();
    then();
}

void NimbrelCloudSyncManager::record(NimbrelActivityType type, const QString& title, const QString& message) {
    recordNimbrelActivity(platform_, type, title, message);
}

void NimbrelCloudSyncManager::succeed() {
    lastSuccessfulSyncAt.set(now());
    syncState.set(NimbrelCloudSyncState::idle());
}

void NimbrelCloudSyncManager::succeedIdleFirst() {
    syncState.set(NimbrelCloudSyncState::idle());
    lastSuccessfulSyncAt.set(now());
}

void NimbrelCloudSyncManager::fail(const QString& title, const CloudError& error) {
    syncState.set(NimbrelCloudSyncState::failed(error.localizedDescription));
    record(NimbrelActivityType::error, title, error.localizedDescription);
}

void NimbrelCloudSyncManager::noteReplacedRecord(const QString& recordName) {
    if (!replacedRecords_.insert(recordName).second) return;
    record(NimbrelActivityType::info, QStringLiteral("Cloud Record Replaced"),
           QStringLiteral("The damaged cloud record \"%1\" could not be read and was replaced by this Mac's copy.")
               .arg(recordName));
}

void NimbrelCloudSyncManager::waitForAccountStatus(Completion<bool> done) {
    NimbrelCloudKitStatusProvider& provider = statusProvider();
    // Without the entitlements nobody asks for the account, so the check is made here; it
    // ends at once in its error status.
    if (provider.status.get().kind == NimbrelCloudKitAccountStatus::Kind::checking &&
        !NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(platform_))
        provider.refresh();
    const NimbrelCloudKitAccountStatus status = provider.status.get();
    if (status.kind != NimbrelCloudKitAccountStatus::Kind::checking) {
        const bool available = status.kind == NimbrelCloudKitAccountStatus::Kind::available;
        later([done = std::move(done), available] { done(available); });
        return;
    }
    accountWaiters_.push_back(std::move(done));
    if (accountWaiters_.size() == 1) {
        std::weak_ptr<NimbrelCloudSyncManager> weak = weak_from_this();
        accountObserver_ = provider.status.observe([weak](const NimbrelCloudKitAccountStatus&) {
            if (auto self = weak.lock()) self->resumeAccountWaiters();
        });
    }
}

void NimbrelCloudSyncManager::releasePendingWork() {
    accountObserver_ = {};
    accountWaiters_.clear();
    pushes_.clear();
    registryQueues_.clear();
}

void NimbrelCloudSyncManager::resumeAccountWaiters() {
    const NimbrelCloudKitAccountStatus status = statusProvider().status.get();
    if (status.kind == NimbrelCloudKitAccountStatus::Kind::checking) return;
    const bool available = status.kind == NimbrelCloudKitAccountStatus::Kind::available;
    accountObserver_ = {};
    for (auto& waiter : std::exchange(accountWaiters_, {}))
        later([waiter = std::move(waiter), available] { waiter(available); });
}

void NimbrelCloudSyncManager::bootstrap() {
    if (!syncEnabled_) {
        syncState.set(NimbrelCloudSyncState::disabled());
        return;
    }
    if (!NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(platform_)) {
        syncState.set(NimbrelCloudSyncState::offline());
        return;
    }
    later([self = shared_from_this()] { self->registerCurrentDeviceAndRefreshDevices(); });
}

void NimbrelCloudSyncManager::fetchRecord(const CloudRecordID& id, CloudDatabase::RecordCompletion done) {
    if (CloudDatabase* db = database()) return db->fetchRecord(id, std::move(done));
    later([done = std::move(done)] {
        done(CloudError::make(CloudError::notAuthenticated, QStringLiteral("Sync is not configured for this build.")));
    });
}

void NimbrelCloudSyncManager::saveRecord(const CloudRecord& record, CloudDatabase::RecordCompletion done) {
    if (CloudDatabase* db = database()) return db->saveRecord(record, std::move(done));
    later([done = std::move(done)] {
        done(CloudError::make(CloudError::notAuthenticated, QStringLiteral("Sync is not configured for this build.")));
    });
}

void NimbrelCloudSyncManager::fetchRecordsInChunks(std::vector<CloudRecordID> ids,
                                                   Completion<CloudResult<CloudBatchResult>> done) {
    CloudDatabase* db = database();
    if (!db) {
        later([done = std::move(done)] {
            done(CloudError::make(CloudError::notAuthenticated,
                                  QStringLiteral("Sync is not configured for this build.")));
        });
        return;
    }
    // One chunk after another; a chunk that fails fails the whole fetch.
    struct ChunkedFetch : std::enable_shared_from_this<ChunkedFetch> {
        CloudDatabase* db;
        std::vector<CloudRecordID> ids;
        Completion<CloudResult<CloudBatchResult>> done;
        size_t next = 0;
        CloudBatchResult results;

        void step() {
            if (next >= ids.size()) return done(std::move(results));
            const size_t end = std::min(ids.size(), next + kBatchChunk);
            std::vector<CloudRecordID> chunk(ids.begin() + qsizetype(next), ids.begin() + qsizetype(end));
            next = end;
            db->fetchRecords(chunk, [self = shared_from_this()](CloudResult<CloudBatchResult> result) {
                if (!result.ok()) return self->done(result.error());
                for (auto& entry : result.value())
                    self->results.push_back(std::move(entry));
                self->step();
            });
        }
    };
    auto fetch = std::make_shared<ChunkedFetch>();
    fetch->db = db;
    fetch->ids = std::move(ids);
    fetch->done = std::move(done);
    fetch->step();
}

void NimbrelCloudSyncManager::runSave(SaveSpec spec, SaveDone done) {
    waitForAccountStatus([self = shared_from_this(), spec = std::move(spec), done](bool available) {
        if (!available) {
            if (done) done(SaveOutcome::skippedAccount);
            return;
        }
        self->syncState.set(NimbrelCloudSyncState::syncing());
        auto failed = [self, title = spec.failureTitle, done](const CloudError& error) {
            self->fail(title, error);
            if (done) done(SaveOutcome::failed);
        };
        CloudResult<CloudRecord> made = spec.makeRecord();
        if (!made.ok()) return failed(made.error());
        self->mergeSave(made.value(), spec.rules, [self, spec, done, failed](CloudMergedSave saved) {
            if (!saved.result.ok()) return failed(saved.result.error());
            if (spec.saved && !saved.keptNewerServerCopy) spec.saved(saved.result.value());
            auto finish = [self, spec, done, failed, kept = saved.keptNewerServerCopy,
                           server = saved.result.value()](std::optional<CloudError> error) {
                if (error) return failed(*error);
                if (kept) {
                    // Nothing was written: not a successful sync, and not reported as one.
                    self->syncState.set(NimbrelCloudSyncState::idle());
                    if (spec.kept)
                        self->record(NimbrelActivityType::info, spec.kept->title, keptMessage(*spec.kept, server));
                    if (done) done(SaveOutcome::keptNewerServerCopy);
                    return;
                }
                self->succeed();
                if (spec.success)
                    self->record(spec.success->first, spec.success->second.first, spec.success->second.second);
                if (done) done(SaveOutcome::saved);
            };
            // A kept copy is listed all the same, in case the Mac that saved it could not list it.
            if (spec.afterSave)
                spec.afterSave(finish);
            else
                finish(std::nullopt);
        });
    });
}

void NimbrelCloudSyncManager::pushObject(const QString& key, std::optional<Date> changedAt, SaveSpec spec,
                                         SaveDone done) {
    // The gate is read as the change is handed in: a change made while sync runs is sent with the
    // copy taken then, also when sync pauses or goes off while its push waits for its turn.
    if (!syncEnabled_)
        return later([done] {
            if (done) done(SaveOutcome::skippedSyncOff);
        });
    if (changedAt) markPendingPush(key, *changedAt);
    // A waiting push holds the manager weakly, so that it never keeps it alive.
    std::weak_ptr<NimbrelCloudSyncManager> weak = weak_from_this();
    auto noted = [weak, key, changedAt, done = std::move(done)](SaveOutcome outcome) {
        // A failure leaves the change waiting; so does a newer change marked meanwhile.
        const bool ended = outcome != SaveOutcome::failed && outcome != SaveOutcome::skippedAccount;
        if (auto self = weak.lock(); self && ended && (!changedAt || self->pendingPush(key) == changedAt))
            if (auto pending = self->pendingPushes()) pending->remove(key);
        if (done) done(outcome);
    };
    pushes_.push(
        key,
        [weak, spec = std::move(spec)](SaveDone finished) {
            if (auto self = weak.lock()) self->runSave(spec, std::move(finished));
        },
        std::move(noted));
}

std::optional<CloudPendingChanges> NimbrelCloudSyncManager::pendingPushes() const {
    if (!platform_.defaults) return std::nullopt;
    return CloudPendingChanges(*platform_.defaults, pendingPushesKey);
}

std::optional<CloudOwnCopies> NimbrelCloudSyncManager::ownCopies() const {
    if (!platform_.defaults) return std::nullopt;
    return CloudOwnCopies(*platform_.defaults);
}

std::function<void(const CloudRecord&)> NimbrelCloudSyncManager::rememberOwnCopy(const QString& key, Date updatedAt) {
    return [weak = weak_from_this(), key, updatedAt](const CloudRecord& saved) {
        if (auto self = weak.lock())
            if (auto copies = self->ownCopies()) copies->saved(key, saved.recordChangeTag(), updatedAt);
    };
}

QString NimbrelCloudSyncManager::keptMessage(const KeptNotice& notice, const CloudRecord& server) {
    switch (notice.sourceOf ? notice.sourceOf(server) : CloudCopySource::anotherMac) {
    case CloudCopySource::thisMac:
        return notice.ofThisMac;
    case CloudCopySource::unknown:
        return notice.ofUnknownMac;
    case CloudCopySource::anotherMac:
        break;
    }
    return notice.ofAnotherMac;
}

namespace {
// Whose copy the record under `key` is, by this Mac's own saves and its stored id.
CloudCopySource sourceOfCopy(const std::optional<CloudOwnCopies>& copies,
                             const NimbrelDeviceIdentityProvider::StoredIDReading& id, const QString& key,
                             const QString& sourceDeviceID, const QString& changeTag, Date updatedAt) {
    const bool saved = copies && copies->isOwn(key, changeTag, updatedAt);
    return cloudCopySource(id.id, id.unreadable, sourceDeviceID, saved);
}
} // namespace

std::function<CloudCopySource(const NimbrelCloudPayloadRecord&)> NimbrelCloudSyncManager::copySourceTest() const {
    return [copies = ownCopies(), id = NimbrelDeviceIdentityProvider::readStoredDeviceID(platform_)](
               const NimbrelCloudPayloadRecord& record) {
        return sourceOfCopy(copies, id, pushKey(record.payloadType, record.objectID), record.sourceDeviceID,
                            record.recordChangeTag, record.updatedAt);
    };
}

CloudCopySource NimbrelCloudSyncManager::blacklistCopySource(const NimbrelCloudBlacklistPayload& payload) const {
    return sourceOfCopy(ownCopies(), NimbrelDeviceIdentityProvider::readStoredDeviceID(platform_), blacklistPushKey,
                        payload.sourceDeviceID, payload.recordChangeTag, payload.updatedAt);
}

void NimbrelCloudSyncManager::forgetObject(NimbrelCloudPayloadType type, const QString& objectID) {
    const QString key = pushKey(type, objectID);
    if (auto pending = pendingPushes()) pending->remove(key);
    if (auto copies = ownCopies()) copies->forget(key);
}

QString NimbrelCloudSyncManager::pushKey(NimbrelCloudPayloadType type, const QString& objectID) {
    return rawValue(type) + QLatin1Char(':') + objectID;
}

void NimbrelCloudSyncManager::markPendingPush(const QString& key, Date changedAt) {
    if (auto pending = pendingPushes()) pending->add(key, changedAt);
}

std::optional<Date> NimbrelCloudSyncManager::pendingPush(const QString& key) const {
    const auto pending = pendingPushes();
    return pending ? pending->dateOf(key) : std::nullopt;
}

void NimbrelCloudSyncManager::retryPendingPush(const QString& key, const std::function<bool(Date changedAt)>& push) {
    if (pushes_.isBusy(key)) return;
    auto pending = pendingPushes();
    if (!pending) return;
    if (auto changedAt = pending->dateOf(key); changedAt && !push(*changedAt)) pending->remove(key);
}

void NimbrelCloudSyncManager::retryPendingPushes(
    NimbrelCloudPayloadType type, const std::function<bool(const QString& objectID, Date changedAt)>& push) {
    auto pending = pendingPushes();
    if (!pending) return;
    const QString prefix = pushKey(type, {});
    for (const auto& [key, changedAt] : pending->entries())
        if (key.startsWith(prefix) && !pushes_.isBusy(key) && !push(key.mid(prefix.size()), changedAt))
            pending->remove(key);
}

void NimbrelCloudSyncManager::syncNow(Done done) {
    if (!syncEnabled_) return later(std::move(done));
    waitForAccountStatus([self = shared_from_this(), done = std::move(done)](bool available) {
        if (!available) {
            if (done) done();
            return;
        }
        self->runSyncNowSteps(self->syncNowSteps_.cbegin(), done);
    });
}

void NimbrelCloudSyncManager::runSyncNowSteps(std::map<SyncNowSlot, SyncStep>::const_iterator from, Done done) {
    if (from == syncNowSteps_.cend()) {
        if (done) done();
        return;
    }
    // The step is copied, so a store that registers again meanwhile changes only later runs.
    const SyncNowSlot slot = from->first;
    SyncStep step = from->second;
    step([self = shared_from_this(), slot, done = std::move(done)]() mutable {
        self->runSyncNowSteps(self->syncNowSteps_.upper_bound(slot), std::move(done));
    });
}

} // namespace nimbrel
