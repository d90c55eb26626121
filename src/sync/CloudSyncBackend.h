#pragma once

#include "sync/CloudPayloads.h"

#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

class Scheduler;

// The cloud traffic behind the sync manager. Completions run later on the main thread,
// never from inside the call that started them.
class CloudSyncBackend {
  public:
    template <typename T> using Completion = std::function<void(T)>;
    using Done = std::function<void()>;

    virtual ~CloudSyncBackend() = default;

    virtual void bootstrap(bool syncEnabled) = 0;
    virtual void fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> completion) = 0;
    virtual void saveSettingsPayload(const NimbrelCloudSettingsPayload& payload, Done done) = 0;
    virtual void fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> completion) = 0;
    virtual void saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, Done done) = 0;
    // Newest `updatedAt` first.
    virtual void fetchPayloadRecords(NimbrelCloudPayloadType type,
                                     Completion<std::vector<NimbrelCloudPayloadRecord>> completion) = 0;
    // Newest `deletedAt` first.
    virtual void fetchTombstones(NimbrelCloudPayloadType type,
                                 Completion<std::vector<NimbrelCloudTombstone>> completion) = 0;
    virtual void savePayloadRecord(const NimbrelCloudPayloadRecord& record, Done done) = 0;
    virtual void saveTombstone(const NimbrelCloudTombstone& tombstone, Done done) = 0;
};

// A program without the cloud entitlements: every fetch finds nothing and every save
// returns without a word, so the stores take their no-sync paths.
class UnavailableCloudSyncBackend final : public CloudSyncBackend {
  public:
    explicit UnavailableCloudSyncBackend(Scheduler* scheduler) : scheduler_(scheduler) {}

    void bootstrap(bool) override {}
    void fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> completion) override;
    void saveSettingsPayload(const NimbrelCloudSettingsPayload&, Done done) override { later(std::move(done)); }
    void fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> completion) override;
    void saveBlacklistPayload(const NimbrelCloudBlacklistPayload&, Done done) override { later(std::move(done)); }
    void fetchPayloadRecords(NimbrelCloudPayloadType,
                             Completion<std::vector<NimbrelCloudPayloadRecord>> completion) override;
    void fetchTombstones(NimbrelCloudPayloadType, Completion<std::vector<NimbrelCloudTombstone>> completion) override;
    void savePayloadRecord(const NimbrelCloudPayloadRecord&, Done done) override { later(std::move(done)); }
    void saveTombstone(const NimbrelCloudTombstone&, Done done) override { later(std::move(done)); }

  private:
    void later(std::function<void()> work);
    Scheduler* scheduler_;
};

} // namespace nimbrel
