#pragma once

#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"
#include "sync/CloudSyncManager.h"

#include <functional>
#include <memory>

namespace nimbrel {

struct Platform;

// The pulls a cloud-backed store makes for as long as it lives, besides its first one: on the
// next turn after each "Nimbrel.cloudKitBecameAvailable", every 60 s, and, when a sync manager is
// given, as its step (`slot`) of sync now. Every trigger reaches the store weakly: one that fires
// after the store is gone does nothing, and its sync-now step lets the sequence go on. The timer
// and the observer end with this object.
class CloudStoreLifecycle {
  public:
    static constexpr double kPullInterval = 60.0;
    using Done = std::function<void()>;

    CloudStoreLifecycle() = default;
    CloudStoreLifecycle(const CloudStoreLifecycle&) = delete;
    CloudStoreLifecycle& operator=(const CloudStoreLifecycle&) = delete;
    ~CloudStoreLifecycle();

    // `whenAvailable` is what the notification starts (a store may test its sync gate first);
    // `pull` is the store's pull, which calls `done` once it has finished or was skipped.
    // Starting again replaces the triggers of an earlier start.
    template <typename Store>
    void start(const std::shared_ptr<Store>& store, Platform& platform, std::function<void(Store&)> whenAvailable,
               std::function<void(Store&, Done)> pull, NimbrelCloudSyncManager* syncNow = nullptr,
               SyncNowSlot slot = SyncNowSlot::rules) {
        std::weak_ptr<Store> weak = store;
        startTriggers(
            platform,
            [weak, whenAvailable = std::move(whenAvailable)] {
                if (auto strong = weak.lock()) whenAvailable(*strong);
            },
            [weak, pull = std::move(pull)](Done done) {
                if (auto strong = weak.lock())
                    pull(*strong, std::move(done));
                else if (done)
                    done();
            },
            syncNow, slot);
    }

  private:
    void startTriggers(Platform& platform, std::function<void()> whenAvailable, std::function<void(Done)> pull,
                       NimbrelCloudSyncManager* syncNow, SyncNowSlot slot);

    WorkHandle timer_;
    ObserverToken availabilityObserver_;
};

} // namespace nimbrel
