#include "model/CloudStoreLifecycle.h"

#include "platform/Platform.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"

namespace nimbrel {

CloudStoreLifecycle::~CloudStoreLifecycle() {
    if (timer_) timer_->cancel();
}

void CloudStoreLifecycle::startTriggers(Platform& platform, std::function<void()> whenAvailable,
                                        std::function<void(Done)> pull, NimbrelCloudSyncManager* syncNow,
                                        SyncNowSlot slot) {
    Scheduler& scheduler = *platform.scheduler;
    availabilityObserver_ = platform.notifications->addObserver(
        kCloudKitBecameAvailableNotification,
        [&scheduler, whenAvailable = std::move(whenAvailable)](const Notification&) { scheduler.post(whenAvailable); });

    if (timer_) timer_->cancel();
    timer_ = scheduler.every(kPullInterval, [pull] { pull({}); });

    if (syncNow) syncNow->addSyncNowStep(slot, std::move(pull));
}

} // namespace nimbrel
