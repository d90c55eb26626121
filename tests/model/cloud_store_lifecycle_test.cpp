#include "model/CloudStoreLifecycle.h"
#include "model/StorePlatform.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

struct Counts {
    int availablePulls = 0;
    int pulls = 0;
};

// A store whose pulls are counted outside it, so they can be counted after it is gone.
struct CountingStore {
    Counts& counts;
};

class CloudStoreLifecycleTest : public ::testing::Test {
  protected:
    testing::StorePlatform env;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status =
        std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);
    std::shared_ptr<NimbrelCloudSyncManager> syncManager =
        std::make_shared<NimbrelCloudSyncManager>(env.platform, status);
    NimbrelCloudSyncManager& sync = *syncManager;

    CloudStoreLifecycleTest() {
        env.entitleCloudKit();
        status->status.set(NimbrelCloudKitAccountStatus::available());
    }
    Counts counts;
    std::shared_ptr<CountingStore> store = std::make_shared<CountingStore>(CountingStore{counts});
    std::unique_ptr<CloudStoreLifecycle> lifecycle = std::make_unique<CloudStoreLifecycle>();

    void start() {
        lifecycle->start<CountingStore>(
            store, env.platform, [](CountingStore& s) { ++s.counts.availablePulls; },
            [](CountingStore& s, CloudStoreLifecycle::Done done) {
                ++s.counts.pulls;
                if (done) done();
            },
            &sync);
    }
    bool syncNowFinishes() {
        bool done = false;
        sync.syncNow([&] { done = true; });
        env.scheduler.runUntilIdle();
        return done;
    }
};

TEST_F(CloudStoreLifecycleTest, EachTriggerStartsItsPullOnlyWhileTheStoreLives) {
    start();
    start(); // a second start replaces the timer, the observer and the sync-now step

    env.notifications.post(kCloudKitBecameAvailableNotification);
    EXPECT_EQ(counts.availablePulls, 0); // not from inside the post
    env.scheduler.runUntilIdle();
    EXPECT_EQ(counts.availablePulls, 1);

    env.scheduler.advance(59.9);
    EXPECT_EQ(counts.pulls, 0);
    env.scheduler.advance(0.1);
    EXPECT_EQ(counts.pulls, 1);
    env.scheduler.advance(60);
    EXPECT_EQ(counts.pulls, 2);

    EXPECT_TRUE(syncNowFinishes());
    EXPECT_EQ(counts.pulls, 3);

    // Gone: nothing is pulled, and sync now still reaches its end.
    store.reset();
    env.notifications.post(kCloudKitBecameAvailableNotification);
    env.scheduler.advance(120);
    EXPECT_TRUE(syncNowFinishes());
    EXPECT_EQ(counts.pulls, 3);
}

TEST_F(CloudStoreLifecycleTest, EndingTheLifecycleEndsTimerAndObserver) {
    start();
    lifecycle.reset();
    env.notifications.post(kCloudKitBecameAvailableNotification);
    env.scheduler.advance(180);
    EXPECT_EQ(counts.availablePulls, 0);
    EXPECT_EQ(counts.pulls, 0);
}

} // namespace
} // namespace nimbrel
