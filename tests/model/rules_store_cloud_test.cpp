#include "model/BlacklistStore.h"
#include "model/RulesStoreFixture.h"
#include "platform/SharedInstance.h"

#include "sync/CloudKitStatusProvider.h"
#include <cmath>

namespace nimbrel {
namespace {

class RulesStoreCloudTest : public testing::RulesStoreFixture {
  protected:
    // Rules created a minute apart, oldest first.
    std::vector<NimbrelRule> threeRules() {
        std::vector<NimbrelRule> out;
        for (const char* name : {"one", "two", "three"}) {
            out.push_back(rule(QString::fromLatin1(name), QStringLiteral("Mail")));
            scheduler.advance(60);
        }
        return out;
    }
};

TEST_F(RulesStoreCloudTest, TombstonesRemoveLocalRulesAndOutweighRecordsOfTheSamePull) {
    auto rules = threeRules();
    storeRules(rules);
    auto store = makeStore();
    activities.clear();
    NimbrelRule revived = rules[1];
    revived.updatedAt = scheduler.now().addingSeconds(100);
    store->applyCloudRules({testing::RulesStoreFixture::payloadRecord(revived)}, {tombstone(rules[1].id)});
    EXPECT_EQ(names(store->rules().get()), (QStringList{QStringLiteral("three"), QStringLiteral("one")}));
    EXPECT_EQ(names(storedRules()), (QStringList{QStringLiteral("three"), QStringLiteral("one")}));
    EXPECT_EQ(messageOf(QStringLiteral("Rules Synced From iCloud")),
              QStringLiteral("Rules were updated from another device."));
    EXPECT_EQ(typeOf(QStringLiteral("Rules Synced From iCloud")), QStringLiteral("rule"));
    EXPECT_FALSE(store->isApplyingCloudRulesPayload());
}

TEST_F(RulesStoreCloudTest, ARecordFiledUnderAnotherIdCannotReviveADeletedRule) {
    auto rules = threeRules();
    storeRules(rules);
    auto store = makeStore();
    NimbrelCloudPayloadRecord misfiled = payloadRecord(rules[0]);
    misfiled.objectID = Uuid::random().toString();
    store->applyCloudRules({misfiled}, {tombstone(rules[0].id)});
    EXPECT_EQ(names(store->rules().get()), (QStringList{QStringLiteral("three"), QStringLiteral("two")}));

    // The other way round: a record filed under a deleted id is skipped whatever it holds.
    NimbrelCloudPayloadRecord underDeletedId = payloadRecord(rule(QStringLiteral("stray"), QStringLiteral("Notes")));
    underDeletedId.objectID = rules[1].id.toString();
    store->applyCloudRules({underDeletedId}, {tombstone(rules[1].id)});
    EXPECT_EQ(names(store->rules().get()), QStringList{QStringLiteral("three")});
}

TEST_F(RulesStoreCloudTest, APullWhoseFetchFailedLeavesTheRulesAsTheyAre) {
    // Another Mac's rule and its deletion, both in the cloud before this Mac's first pull.
    const NimbrelRule deleted = rule(QStringLiteral("deleted"), QStringLiteral("Mail"));
    cloud.putPayload(payloadRecord(deleted));
    cloud.putTombstone(tombstone(deleted.id));
    auto store = makeStore();
    using Op = CloudFailure::Operation;
    const CloudError lost = CloudError::make(CloudError::networkFailure, QStringLiteral("lost"));
    for (const CloudFailure& tombstonesFail :
         {CloudFailure{Op::fetch, "sync_registry", lost, false, 1}, CloudFailure{Op::batchFetch, {}, lost, false, 1}}) {
        env.cloud.failNext(tombstonesFail);
        scheduler.advance(60);
        EXPECT_TRUE(store->rules().get().empty());
    }
    EXPECT_EQ(count(QStringLiteral("Rules Synced From iCloud")), 0);
    EXPECT_EQ(count(QStringLiteral("Delete Fetch Failed")), 2);
}

TEST_F(RulesStoreCloudTest, OnlyAStrictlyLaterCopyReplacesTheLocalRule) {
    auto rules = threeRules();
    storeRules(rules);
    auto store = makeStore();
    activities.clear();

    NimbrelRule sameTime = rules[0];
    sameTime.name = QStringLiteral("same time");
    store->applyCloudRules({payloadRecord(rules[0])}, {});
    EXPECT_EQ(names(store->rules().get()),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    EXPECT_TRUE(activities.empty()); // nothing changed: no save, no record, no re-sort

    // Within the same second the cloud's copy wins when it differs: both Macs end with it.
    sameTime.updatedAt = Date{std::floor(rules[0].updatedAt.secondsSinceReferenceDate) + 0.25};
    store->applyCloudRules({payloadRecord(sameTime)}, {});
    EXPECT_EQ(names(store->rules().get()),
              (QStringList{QStringLiteral("three"), QStringLiteral("two"), QStringLiteral("same time")}));
    EXPECT_EQ(count(QStringLiteral("Rules Synced From iCloud")), 1);

    NimbrelRule older = rules[0];
    older.name = QStringLiteral("older");
    older.updatedAt = rules[0].updatedAt.addingSeconds(-1);
    NimbrelRule newer = rules[0];
    newer.name = QStringLiteral("newer");
    newer.updatedAt = rules[0].updatedAt.addingSeconds(1);
    // Newest first, as the sync manager returns them; the older copy comes after and loses.
    store->applyCloudRules({payloadRecord(newer), payloadRecord(older)}, {});
    EXPECT_EQ(names(store->rules().get()),
              (QStringList{QStringLiteral("three"), QStringLiteral("two"), QStringLiteral("newer")}));
    EXPECT_EQ(count(QStringLiteral("Rules Synced From iCloud")), 2);
}

TEST_F(RulesStoreCloudTest, NewRulesAreAddedAndTheListSortsNewestCreatedFirstStably) {
    auto rules = threeRules();
    rules[2].createdAt = rules[0].createdAt; // ties keep their order
    storeRules(rules);
    auto store = makeStore();
    NimbrelRule remote = rule(QStringLiteral("remote"), QStringLiteral("Notes"));
    remote.createdAt = rules[1].createdAt.addingSeconds(1);
    store->applyCloudRules({payloadRecord(remote)}, {});
    EXPECT_EQ(names(store->rules().get()), (QStringList{QStringLiteral("remote"), QStringLiteral("two"),
                                                        QStringLiteral("one"), QStringLiteral("three")}));
}

TEST_F(RulesStoreCloudTest, AnUndecodablePayloadIsReportedAndTheOthersStillApply) {
    auto store = makeStore();
    NimbrelCloudPayloadRecord broken;
    broken.objectID = Uuid::random().toString();
    broken.payload = QByteArray(R"({"name":"no id"})");
    NimbrelCloudPayloadRecord sqlish;
    sqlish.objectID = QStringLiteral("'; DROP TABLE rules; --");
    sqlish.payload = QByteArray("\x00\xff<not json>", 12);
    const NimbrelRule good = rule(QStringLiteral("good"), QStringLiteral("Mail"));
    store->applyCloudRules({broken, sqlish, payloadRecord(good)}, {});
    EXPECT_EQ(count(QStringLiteral("Rule Decode Failed")), 2);
    EXPECT_EQ(typeOf(QStringLiteral("Rule Decode Failed")), QStringLiteral("error"));
    EXPECT_EQ(names(store->rules().get()), QStringList{QStringLiteral("good")});
}

TEST_F(RulesStoreCloudTest, PulledChangesAreNotPushedBack) {
    auto store = makeStore();
    store->applyCloudRules({payloadRecord(rule(QStringLiteral("remote"), QStringLiteral("Mail")))}, {});
    scheduler.advance(5);
    EXPECT_EQ(cloud.saves(""), 0);
}

TEST_F(RulesStoreCloudTest, PullsOnCreationOnCloudKitAvailabilityAndEveryMinute) {
    const NimbrelRule remote = rule(QStringLiteral("remote"), QStringLiteral("Mail"));
    cloud.putPayload(payloadRecord(remote));
    auto store = makeStore();
    // Each pull reads the registry twice: for the payload records, then for the tombstones.
    EXPECT_EQ(cloud.calls("fetch sync_registry"), 2);
    EXPECT_EQ(names(store->rules().get()), QStringList{QStringLiteral("remote")});

    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.calls("fetch sync_registry"), 4);
    scheduler.advance(60);
    EXPECT_EQ(cloud.calls("fetch sync_registry"), 6);
    EXPECT_EQ(count(QStringLiteral("Rules Synced From iCloud")), 1); // later pulls changed nothing

    cloud.putTombstone(tombstone(remote.id));
    scheduler.advance(60);
    EXPECT_TRUE(store->rules().get().empty());
}

TEST_F(RulesStoreCloudTest, NoPullWhileSyncIsOffOrTheGlobalPauseIsOn) {
    syncEnabled = false;
    auto store = makeStore();
    scheduler.advance(60);
    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    syncEnabled = true;
    setGlobalPause(true);
    scheduler.advance(60);
    bool done = false;
    store->pullFromCloud([&] { done = true; });
    scheduler.runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_EQ(cloud.calls("fetch sync_registry"), 0);
}

TEST_F(RulesStoreCloudTest, TheSyncNowStepPullsTheRulesAndThenTheBlacklist) {
    auto store = makeStore();
    cloud.putPayload(payloadRecord(rule(QStringLiteral("remote"), QStringLiteral("Mail"))));
    bool done = false;
    syncManager->syncNow([&] { done = true; });
    scheduler.runUntilIdle();
    EXPECT_TRUE(done);
    EXPECT_EQ(names(store->rules().get()), QStringList{QStringLiteral("remote")});
    ASSERT_TRUE(hasSharedInstance<BlacklistStore>()) << "its step made the blacklist store";
    EXPECT_GE(cloud.calls("fetch blacklist_primary"), 1);
}

TEST_F(RulesStoreCloudTest, AReleasedStoreNoLongerPulls) {
    auto store = makeStore();
    store.reset();
    scheduler.advance(180);
    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.calls("fetch sync_registry"), 2);
}

} // namespace
} // namespace nimbrel
