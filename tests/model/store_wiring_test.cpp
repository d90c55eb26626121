#include "model/BlacklistStore.h"
#include "model/RulesStoreFixture.h"
#include "model/SettingsStore.h"
#include "platform/SharedInstance.h"
#include "sync/CloudKitStatusProvider.h"

namespace nimbrel {
namespace {

// The program's own wiring: the shared stores follow the settings store's sync switch and
// reach the shared sync manager, whose sync-now pulls settings, rules and the blacklist.
class StoreWiringTest : public testing::RulesStoreFixture {
  protected:
    StoreWiringTest() {
        sharedInstance<NimbrelCloudSyncManager>([this] { return syncManager; });
        sharedInstance<NimbrelCloudKitStatusProvider>([this] { return status; });
        BlacklistStore::setCachedInstalledApps({});
    }
};

TEST_F(StoreWiringTest, TheSharedRulesStoreFollowsTheSettingsStoresSyncSwitch) {
    NimbrelRulesStore& store = NimbrelRulesStore::shared();
    EXPECT_TRUE(hasSharedInstance<NimbrelSettingsStore>()); // asked for the sync flag at creation
    store.addRule(rule(QStringLiteral("sent"), QStringLiteral("Mail")));
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.payloads(NimbrelCloudPayloadType::rule).size(), 1u);

    NimbrelSettingsStore::shared().setSyncEnabled(false);
    store.addRule(rule(QStringLiteral("kept here"), QStringLiteral("Mail")));
    scheduler.advance(5);
    EXPECT_EQ(cloud.payloads(NimbrelCloudPayloadType::rule).size(), 1u);
}

TEST_F(StoreWiringTest, SyncNowPullsTheRulesThenMakesAndPullsTheBlacklistStore) {
    NimbrelRulesStore::shared();
    scheduler.runUntilIdle();
    const int registryReads = cloud.calls("fetch sync_registry");
    cloud.putBlacklist(NimbrelCloudBlacklistPayload{{QStringLiteral("com.remote")}, Date{}, {}, 1});
    EXPECT_FALSE(hasSharedInstance<BlacklistStore>());
    bool done = false;
    NimbrelCloudSyncManager::shared().syncNow([&] { done = true; });
    scheduler.runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_EQ(cloud.calls("fetch sync_registry"), registryReads + 2) << "one pull of rules: records and tombstones";
    ASSERT_TRUE(hasSharedInstance<BlacklistStore>());
    EXPECT_EQ(BlacklistStore::shared().blacklistedAppKeys().get(), std::set<QString>{QStringLiteral("com.remote")});
}

} // namespace
} // namespace nimbrel
