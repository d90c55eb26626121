#pragma once

#include "sync/CloudSyncBackend.h"

#include <memory>

namespace nimbrel {

struct Platform;

// The stores' one way to the cloud. The traffic itself is the backend's; until the cloud
// subsystem supplies its own, the program behaves as one without the cloud entitlements.
class NimbrelCloudSyncManager {
  public:
    using Done = CloudSyncBackend::Done;
    template <typename T> using Completion = CloudSyncBackend::Completion<T>;
    // One pull of the sync-now sequence; calls `done` when it has finished.
    using SyncStep = std::function<void(Done done)>;

    explicit NimbrelCloudSyncManager(Platform& platform, std::shared_ptr<CloudSyncBackend> backend = {});

    static NimbrelCloudSyncManager& shared();

    bool isSyncEnabled() const { return syncEnabled_; }
    void setSyncEnabled(bool on) { syncEnabled_ = on; }

    void bootstrap();

    void fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> completion);
    void saveSettingsPayload(const NimbrelCloudSettingsPayload& payload, Done done = {});
    void fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> completion);
    void saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, Done done = {});
    void fetchPayloadRecords(NimbrelCloudPayloadType type,
                             Completion<std::vector<NimbrelCloudPayloadRecord>> completion);
    void fetchTombstones(NimbrelCloudPayloadType type, Completion<std::vector<NimbrelCloudTombstone>> completion);
    void savePayloadRecord(const NimbrelCloudPayloadRecord& record, Done done = {});
    void saveTombstone(const NimbrelCloudTombstone& tombstone, Done done = {});

    // The activity screen's sync: runs the registered pulls one after another, then `done`.
    void addSyncNowStep(SyncStep step) { syncNowSteps_.push_back(std::move(step)); }
    void syncNow(Done done = {});

    CloudSyncBackend& backend() { return *backend_; }

  private:
    void runSteps(size_t index, Done done);
    void later(Done done);

    Platform& platform_;
    std::shared_ptr<CloudSyncBackend> backend_;
    bool syncEnabled_ = true;
    std::vector<SyncStep> syncNowSteps_;
};

} // namespace nimbrel
