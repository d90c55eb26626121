#include "sync/CloudSyncBackend.h"

#include "platform/Scheduler.h"

namespace nimbrel {

void UnavailableCloudSyncBackend::later(std::function<void()> work) {
    if (!work) return;
    if (scheduler_)
        scheduler_->post(std::move(work));
    else
        work();
}

void UnavailableCloudSyncBackend::fetchSettingsPayload(
    Completion<std::optional<NimbrelCloudSettingsPayload>> completion) {
    if (completion) later([completion] { completion(std::nullopt); });
}

void UnavailableCloudSyncBackend::fetchBlacklistPayload(
    Completion<std::optional<NimbrelCloudBlacklistPayload>> completion) {
    if (completion) later([completion] { completion(std::nullopt); });
}

void UnavailableCloudSyncBackend::fetchPayloadRecords(NimbrelCloudPayloadType,
                                                      Completion<std::vector<NimbrelCloudPayloadRecord>> completion) {
    if (completion) later([completion] { completion({}); });
}

void UnavailableCloudSyncBackend::fetchTombstones(NimbrelCloudPayloadType,
                                                  Completion<std::vector<NimbrelCloudTombstone>> completion) {
    if (completion) later([completion] { completion({}); });
}

} // namespace nimbrel
