#pragma once

// A cloud backend for store tests: records every call and answers fetches with scripted
// values, on the next turn of the scheduler as the real one would.

#include "platform/Scheduler.h"
#include "sync/CloudSyncBackend.h"

#include <map>
#include <vector>

namespace nimbrel::testing {

class FakeCloudSyncBackend final : public CloudSyncBackend {
  public:
    explicit FakeCloudSyncBackend(Scheduler& scheduler) : scheduler_(scheduler) {}

    // Scripted answers.
    std::optional<NimbrelCloudSettingsPayload> settingsPayload;
    std::optional<NimbrelCloudBlacklistPayload> blacklistPayload;
    std::map<NimbrelCloudPayloadType, std::vector<NimbrelCloudPayloadRecord>> payloadRecords;
    std::map<NimbrelCloudPayloadType, std::vector<NimbrelCloudTombstone>> tombstones;

    // What was asked.
    std::vector<bool> bootstraps;
    int settingsFetches = 0;
    int blacklistFetches = 0;
    std::vector<NimbrelCloudPayloadType> payloadRecordFetches;
    std::vector<NimbrelCloudPayloadType> tombstoneFetches;
    std::vector<NimbrelCloudSettingsPayload> savedSettings;
    std::vector<NimbrelCloudBlacklistPayload> savedBlacklists;
    std::vector<NimbrelCloudPayloadRecord> savedRecords;
    std::vector<NimbrelCloudTombstone> savedTombstones;

    void bootstrap(bool syncEnabled) override { bootstraps.push_back(syncEnabled); }
    void fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> completion) override {
        ++settingsFetches;
        later([completion, v = settingsPayload] { completion(v); });
    }
    void saveSettingsPayload(const NimbrelCloudSettingsPayload& payload, Done done) override {
        savedSettings.push_back(payload);
        later(std::move(done));
    }
    void fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> completion) override {
        ++blacklistFetches;
        later([completion, v = blacklistPayload] { completion(v); });
    }
    void saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, Done done) override {
        savedBlacklists.push_back(payload);
        later(std::move(done));
    }
    void fetchPayloadRecords(NimbrelCloudPayloadType type,
                             Completion<std::vector<NimbrelCloudPayloadRecord>> completion) override {
        payloadRecordFetches.push_back(type);
        later([completion, v = payloadRecords[type]] { completion(v); });
    }
    void fetchTombstones(NimbrelCloudPayloadType type,
                         Completion<std::vector<NimbrelCloudTombstone>> completion) override {
        tombstoneFetches.push_back(type);
        later([completion, v = tombstones[type]] { completion(v); });
    }
    void savePayloadRecord(const NimbrelCloudPayloadRecord& record, Done done) override {
        savedRecords.push_back(record);
        later(std::move(done));
    }
    void saveTombstone(const NimbrelCloudTombstone& tombstone, Done done) override {
        savedTombstones.push_back(tombstone);
        later(std::move(done));
    }

  private:
    void later(std::function<void()> work) {
        if (work) scheduler_.post(std::move(work));
    }
    Scheduler& scheduler_;
};

} // namespace nimbrel::testing
