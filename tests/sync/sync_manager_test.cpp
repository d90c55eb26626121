#include "sync/CloudSyncManager.h"

#include "model/StorePlatform.h"
#include "sync/FakeCloudSyncBackend.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using nimbrel::testing::FakeCloudSyncBackend;
using nimbrel::testing::StorePlatform;

namespace {

class SyncManagerTest : public ::testing::Test {
  protected:
    StorePlatform env;
};

TEST_F(SyncManagerTest, WithoutTheCloudFetchesFindNothingLaterAndSavesReturn) {
    NimbrelCloudSyncManager manager(env.platform);
    int answers = 0;
    manager.fetchSettingsPayload([&](std::optional<NimbrelCloudSettingsPayload> p) {
        EXPECT_FALSE(p.has_value());
        ++answers;
    });
    manager.fetchBlacklistPayload([&](std::optional<NimbrelCloudBlacklistPayload> p) {
        EXPECT_FALSE(p.has_value());
        ++answers;
    });
    manager.fetchPayloadRecords(NimbrelCloudPayloadType::rule, [&](std::vector<NimbrelCloudPayloadRecord> r) {
        EXPECT_TRUE(r.empty());
        ++answers;
    });
    manager.fetchTombstones(NimbrelCloudPayloadType::rule, [&](std::vector<NimbrelCloudTombstone> t) {
        EXPECT_TRUE(t.empty());
        ++answers;
    });
    manager.savePayloadRecord({}, [&] { ++answers; });
    EXPECT_EQ(answers, 0) << "completions never run inside the call";
    env.scheduler.runUntilIdle();
    EXPECT_EQ(answers, 5);
}

TEST_F(SyncManagerTest, SavesMakeNoCloudCallWhileSyncIsOff) {
    auto backend = std::make_shared<FakeCloudSyncBackend>(env.scheduler);
    NimbrelCloudSyncManager manager(env.platform, backend);
    manager.setSyncEnabled(false);
    bool done = false;
    manager.saveSettingsPayload({}, [&] { done = true; });
    manager.saveBlacklistPayload({});
    manager.savePayloadRecord({});
    manager.saveTombstone({});
    env.scheduler.runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_TRUE(backend->savedSettings.empty());
    EXPECT_TRUE(backend->savedBlacklists.empty());
    EXPECT_TRUE(backend->savedRecords.empty());
    EXPECT_TRUE(backend->savedTombstones.empty());

    manager.setSyncEnabled(true);
    manager.saveTombstone({QStringLiteral("X"), NimbrelCloudPayloadType::rule, QStringLiteral("D"), Date{5}, 1});
    manager.bootstrap();
    ASSERT_EQ(backend->savedTombstones.size(), 1u);
    EXPECT_EQ(backend->savedTombstones[0].objectID, QStringLiteral("X"));
    EXPECT_EQ(backend->bootstraps, std::vector<bool>{true});
}

TEST_F(SyncManagerTest, SyncNowRunsItsPullsInOrderThenFinishes) {
    NimbrelCloudSyncManager manager(env.platform);
    QStringList order;
    manager.addSyncNowStep([&](std::function<void()> done) {
        order << "settings";
        env.scheduler.after(1, done); // a pull that takes a while
    });
    manager.addSyncNowStep([&](std::function<void()> done) {
        order << "rules";
        done();
    });
    bool finished = false;
    manager.syncNow([&] {
        order << "done";
        finished = true;
    });
    EXPECT_EQ(order, QStringList{"settings"});
    env.scheduler.advance(1);
    EXPECT_TRUE(finished);
    EXPECT_EQ(order, (QStringList{"settings", "rules", "done"}));
}

} // namespace
