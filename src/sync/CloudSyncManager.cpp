#include "sync/CloudSyncManager.h"

#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

NimbrelCloudSyncManager::NimbrelCloudSyncManager(Platform& platform, std::shared_ptr<CloudSyncBackend> backend)
    : platform_(platform),
      backend_(backend ? std::move(backend) : std::make_shared<UnavailableCloudSyncBackend>(platform.scheduler)) {}

NimbrelCloudSyncManager& NimbrelCloudSyncManager::shared() {
    return sharedInstance<NimbrelCloudSyncManager>(
        [] { return std::make_shared<NimbrelCloudSyncManager>(Platform::current()); });
}

void NimbrelCloudSyncManager::later(Done done) {
    if (!done) return;
    if (platform_.scheduler)
        platform_.scheduler->post(std::move(done));
    else
        done();
}

void NimbrelCloudSyncManager::bootstrap() {
    backend_->bootstrap(syncEnabled_);
}

void NimbrelCloudSyncManager::fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> completion) {
    backend_->fetchSettingsPayload(std::move(completion));
}

void NimbrelCloudSyncManager::saveSettingsPayload(const NimbrelCloudSettingsPayload& payload, Done done) {
    // Sync switched off: no cloud call at all.
    if (!syncEnabled_) return later(std::move(done));
    backend_->saveSettingsPayload(payload, std::move(done));
}

void NimbrelCloudSyncManager::fetchBlacklistPayload(
    Completion<std::optional<NimbrelCloudBlacklistPayload>> completion) {
    backend_->fetchBlacklistPayload(std::move(completion));
}

void NimbrelCloudSyncManager::saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, Done done) {
    if (!syncEnabled_) return later(std::move(done));
    backend_->saveBlacklistPayload(payload, std::move(done));
}

void NimbrelCloudSyncManager::fetchPayloadRecords(NimbrelCloudPayloadType type,
                                                  Completion<std::vector<NimbrelCloudPayloadRecord>> completion) {
    backend_->fetchPayloadRecords(type, std::move(completion));
}

void NimbrelCloudSyncManager::fetchTombstones(NimbrelCloudPayloadType type,
                                              Completion<std::vector<NimbrelCloudTombstone>> completion) {
    backend_->fetchTombstones(type, std::move(completion));
}

void NimbrelCloudSyncManager::savePayloadRecord(const NimbrelCloudPayloadRecord& record, Done done) {
    if (!syncEnabled_) return later(std::move(done));
    backend_->savePayloadRecord(record, std::move(done));
}

void NimbrelCloudSyncManager::saveTombstone(const NimbrelCloudTombstone& tombstone, Done done) {
    if (!syncEnabled_) return later(std::move(done));
    backend_->saveTombstone(tombstone, std::move(done));
}

void NimbrelCloudSyncManager::syncNow(Done done) {
    runSteps(0, std::move(done));
}

void NimbrelCloudSyncManager::runSteps(size_t index, Done done) {
    if (index >= syncNowSteps_.size()) return later(std::move(done));
    // Steps are copied out so a step registered during the run waits for the next one.
    SyncStep step = syncNowSteps_[index];
    step([this, index, done = std::move(done)]() mutable { runSteps(index + 1, std::move(done)); });
}

} // namespace nimbrel
