#include "app/GlobalPause.h"
#include "model/SettingsStore.h"
#include "model/StorePlatform.h"
#include "model/UpdateManager.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudProbe.h"
#include "sync/CloudSyncManager.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// The pause and the settings store together: the store's sync flag follows the pause, and
// following it neither stamps nor pushes the settings.
TEST(PauseAndSettings, SettingsStoreFollowsThePausesSyncSettingQuietly) {
    testing::StorePlatform env;
    env.entitleCloudKit();
    NimbrelUpdateManager updates(env.platform);
    auto status = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);
    auto syncManager = std::make_shared<NimbrelCloudSyncManager>(env.platform, status);
    NimbrelCloudSyncManager& sync = *syncManager;
    NimbrelSettingsStore store(env.platform, updates, status, sync);
    GlobalPauseController pause(env.platform, {[&sync](bool on) { sync.setSyncEnabled(on); }, {}});
    ASSERT_TRUE(store.syncEnabled().get());
    const auto stampBefore = env.defaults.dateValue(NimbrelSettingsStore::kLocalUpdatedAtKey);

    pause.pause(300);
    env.scheduler.runUntilIdle();
    EXPECT_FALSE(store.syncEnabled().get());
    EXPECT_FALSE(sync.isSyncEnabled());

    env.scheduler.advance(300); // ends by itself
    EXPECT_TRUE(store.syncEnabled().get());
    EXPECT_TRUE(sync.isSyncEnabled());

    env.scheduler.advance(5);
    EXPECT_EQ(env.defaults.dateValue(NimbrelSettingsStore::kLocalUpdatedAtKey), stampBefore);
    EXPECT_EQ(nimbrel::testing::CloudProbe(env.cloud).saves("settings_"), 0);
}

} // namespace
} // namespace nimbrel
