#include "model/BlacklistStore.h"
#include "model/RulesStoreFixture.h"
#include "platform/SharedInstance.h"

#include "platform/Log.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/DeviceIdentity.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <set>

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
    // Writes other content over the rule's record, dated later than any edit here, under the same
    // change tag: a pull that decoded the record would take it.
    NimbrelRule renamedUnderTheSameTag(const NimbrelRule& remote) {
        NimbrelRule renamed = remote;
        renamed.name = QStringLiteral("renamed under the same tag");
        renamed.updatedAt = scheduler.now().addingSeconds(3600);
        cloud.rewriteKeepingTag(payloadRecordID(NimbrelCloudPayloadType::rule, remote.id.toString()).recordName,
                                payloadRecord(renamed));
        return renamed;
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

TEST_F(RulesStoreCloudTest, ADeletedRuleStaysDeletedWhateverBecomesOfItsTombstone) {
    using Op = CloudFailure::Operation;
    struct Case {
        const char* name;
        std::function<void(const QString& tombstoneName)> spoil;
        bool pullFails;
    };
    const Case cases[] = {
        {"answered with an error of its own",
         [&](const QString& name) {
             CloudError item = CloudError::make(CloudError::serverRejectedRequest, {});
             item.itemID = {name};
             env.cloud.failNext({Op::batchFetch,
                                 "deleted_rule_*",
                                 CloudError::make(CloudError::partialFailure, {}),
                                 false,
                                 0,
                                 {},
                                 1,
                                 {},
                                 {item}});
         },
         true},
        {"damaged", [&](const QString& name) { cloud.damage(name); }, false},
        {"missing a field",
         [&](const QString& name) {
             CloudRecord r = *cloud.record(name);
             r.remove("deletedAt");
             cloud.put(r);
         },
         false},
    };
    for (const Case& c : cases) {
        defaults.remove(NimbrelRulesStore::defaultsKey);
        // Deleted on another Mac; a new rule of that Mac's comes with it.
        const NimbrelRule deleted = rule(QStringLiteral("deleted"), QStringLiteral("Mail"));
        const NimbrelRule added = rule(QStringLiteral("added"), QStringLiteral("Notes"));
        cloud.putPayload(payloadRecord(deleted));
        cloud.putTombstone(tombstone(deleted.id));
        cloud.putPayload(payloadRecord(added));
        c.spoil(tombstoneRecordID(NimbrelCloudPayloadType::rule, deleted.id.toString()).recordName);
        activities.clear();
        auto store = makeStore();
        auto holds = [&](const NimbrelRule& r) {
            const auto& rules = store->rules().get();
            return std::any_of(rules.begin(), rules.end(), [&](const NimbrelRule& x) { return x.id == r.id; });
        };
        EXPECT_FALSE(holds(deleted)) << c.name;
        EXPECT_EQ(holds(added), !c.pullFails) << c.name;
        EXPECT_EQ(count("Rules Synced From iCloud"), c.pullFails ? 0 : 1) << c.name;
        EXPECT_EQ(messageOf("Delete Fetch Failed"),
                  c.pullFails ? QStringLiteral("The server rejected the request.") : QStringLiteral("<not recorded>"))
            << c.name;
        // A tombstone that cannot be read is reported, though its rule stays deleted.
        const QString tombstoneName =
            tombstoneRecordID(NimbrelCloudPayloadType::rule, deleted.id.toString()).recordName;
        EXPECT_EQ(std::count_if(activities.begin(), activities.end(),
                                [&](const auto& a) {
                                    return a.title == "Rule Decode Failed" && a.message.contains(tombstoneName);
                                }),
                  c.pullFails ? 0 : 1)
            << c.name;
        scheduler.advance(60); // the next pull reads everything
        EXPECT_FALSE(holds(deleted)) << c.name;
        EXPECT_TRUE(holds(added)) << c.name;
    }
}

TEST_F(RulesStoreCloudTest, AnUnreadableRuleRecordIsReportedAtEveryPullAndTheOthersArrive) {
    std::vector<QString> lines;
    const LogSink previous = setLogSink([&](const QString& line) { lines.push_back(line); });
    const NimbrelRule good = rule(QStringLiteral("good"), QStringLiteral("Mail"));
    const NimbrelRule damaged = rule(QStringLiteral("damaged"), QStringLiteral("Notes"));
    cloud.putPayload(payloadRecord(good));
    cloud.putPayload(payloadRecord(damaged));
    const QString name = payloadRecordID(NimbrelCloudPayloadType::rule, damaged.id.toString()).recordName;
    cloud.damage(name);
    auto store = makeStore();
    scheduler.advance(60);
    setLogSink(previous);
    EXPECT_EQ(names(store->rules().get()), QStringList{"good"});
    EXPECT_EQ(count("Rule Decode Failed"), 2) << "once at each of the two pulls";
    EXPECT_EQ(typeOf("Rule Decode Failed"), QStringLiteral("error"));
    EXPECT_EQ(messageOf("Rule Decode Failed"),
              QStringLiteral("The record \"%1\" could not be read: The cloud database holds a damaged record \"%1\".")
                  .arg(name));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const QString& l) {
                                return l.startsWith("NimbrelRulesStore: could not read the cloud record " + name);
                            }),
              2);
    // Not a failed fetch: the other records were read.
    EXPECT_EQ(syncManager->syncState.get(), NimbrelCloudSyncState::idle());
    EXPECT_EQ(syncManager->lastSuccessfulSyncAt.get(), scheduler.now());
}

TEST_F(RulesStoreCloudTest, APullDecodesOnlyTheRecordsThatChangedSinceTheyWereMerged) {
    NimbrelRule remote = rule(QStringLiteral("remote"), QStringLiteral("Mail"));
    cloud.putPayload(payloadRecord(remote));
    auto store = makeStore();
    NimbrelRule renamed = renamedUnderTheSameTag(remote);
    scheduler.advance(60);
    EXPECT_EQ(names(store->rules().get()), QStringList{"remote"});

    // Once the rule is changed here, its record is decoded and compared again.
    NimbrelRule edited = store->rules().get()[0];
    edited.name = QStringLiteral("edited here");
    store->updateRule(edited);
    scheduler.advance(60);
    EXPECT_EQ(names(store->rules().get()), QStringList{"renamed under the same tag"});

    // Another Mac's change comes under a new tag, while the copy held is the one merged last.
    renamed.name = QStringLiteral("changed elsewhere");
    renamed.updatedAt = renamed.updatedAt.addingSeconds(60);
    cloud.putPayload(payloadRecord(renamed));
    scheduler.advance(60);
    EXPECT_EQ(names(store->rules().get()), QStringList{"changed elsewhere"});
}

TEST_F(RulesStoreCloudTest, APullRunningWhenTheRulesAreWrittenWholeComparesEveryRecord) {
    NimbrelRule remote = rule(QStringLiteral("remote"), QStringLiteral("Mail"));
    cloud.putPayload(payloadRecord(remote));
    auto store = makeStore();
    renamedUnderTheSameTag(remote);
    store->pullFromCloud();
    // Written whole while the pull fetches: what the store remembered of its merges no longer holds.
    store->setRules(store->rules().get());
    scheduler.runUntilIdle();
    EXPECT_EQ(names(store->rules().get()), QStringList{"renamed under the same tag"});
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

    // A change the global pause held back is not in the cloud: this Mac's own copy of that second
    // is older. Another Mac's copy of that second may be later: it wins, and both Macs agree.
    setGlobalPause(true);
    NimbrelRule heldBack = rules[1];
    heldBack.name = QStringLiteral("edited while paused");
    store->updateRule(heldBack);
    setGlobalPause(false);
    NimbrelRule cloudCopy = rules[1];
    cloudCopy.updatedAt = scheduler.now();
    NimbrelCloudPayloadRecord ownCopy = payloadRecord(cloudCopy);
    ownCopy.sourceDeviceID = NimbrelDeviceIdentityProvider(platform).loadOrCreateDeviceID();
    store->applyCloudRules({ownCopy}, {});
    EXPECT_EQ(names(store->rules().get()),
              (QStringList{QStringLiteral("three"), QStringLiteral("edited while paused"), QStringLiteral("newer")}));
    store->applyCloudRules({payloadRecord(cloudCopy)}, {});
    EXPECT_EQ(names(store->rules().get()),
              (QStringList{QStringLiteral("three"), QStringLiteral("two"), QStringLiteral("newer")}));

    // This Mac's own later copy coming back is no news from another device.
    const int synced = count(QStringLiteral("Rules Synced From iCloud"));
    heldBack.updatedAt = ownCopy.updatedAt = scheduler.now().addingSeconds(5);
    ownCopy.payload = payloadRecord(heldBack).payload;
    store->applyCloudRules({ownCopy}, {});
    EXPECT_EQ(names(store->rules().get())[1], QStringLiteral("edited while paused"));
    EXPECT_EQ(count(QStringLiteral("Rules Synced From iCloud")), synced);
}

// A failed push goes out again at the next pull, its mark written in the turn of the change, unless
// the rule was changed since while sync could not run: that change is never sent, and the failed
// push gives way to it.
TEST_F(RulesStoreCloudTest, AFailedPushGoesOutAgainUnlessTheRuleChangedSinceWhilePaused) {
    auto store = makeStore();
    for (const bool changedWhilePaused : {false, true}) {
        store->addRule(rule(QStringLiteral("added"), QStringLiteral("Mail")));
        scheduler.advance(1);
        NimbrelRule edited = store->rules().get().back();
        const QString key = NimbrelCloudSyncManager::pushKey(NimbrelCloudPayloadType::rule, edited.id.toString());
        env.cloud.failNext({CloudFailure::Operation::save, "rule_*", CloudError::make(CloudError::networkFailure, {})});
        edited.name = QStringLiteral("failed");
        store->updateRule(edited);
        EXPECT_TRUE(syncManager->pendingPush(key).has_value());
        scheduler.advance(0);
        setGlobalPause(changedWhilePaused);
        edited.name = QStringLiteral("paused");
        if (changedWhilePaused) store->updateRule(edited);
        setGlobalPause(false);
        scheduler.advance(60);
        const NimbrelCloudPayloadRecord inCloud = cloud.payloads(NimbrelCloudPayloadType::rule).back();
        ASSERT_EQ(inCloud.objectID, edited.id.toString());
        EXPECT_EQ(decodeRule(inCloud.payload, json::DateForm::ISO8601).value->name,
                  changedWhilePaused ? QStringLiteral("added") : QStringLiteral("failed"));
        EXPECT_FALSE(syncManager->pendingPush(key).has_value());
    }
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

// Whatever order the list was held in (a Mac keeps its own rules in the order they were made), a
// pull leaves the list, its stored text and the tap lookup as sorting the merged list whole and
// encoding it anew would, whether it edits the list or arranges it anew.
TEST_F(RulesStoreCloudTest, APullEndsAsTheMergedListSortedAndEncodedWholeInWhateverOrderItWasHeld) {
    const QString apps[] = {QStringLiteral("Mail"), QStringLiteral("Notes"), QStringLiteral("Safari")};
    // Whole seconds, as a payload carries them; every fifth rule made at the same moment as the one before.
    std::vector<NimbrelRule> made;
    for (int i = 0; i < 60; ++i) {
        made.push_back(rule(QStringLiteral("rule %1").arg(i), apps[i % 3]));
        made.back().createdAt = Date{1000.0 + i - (i % 5 == 4)};
    }
    const auto newestFirst = [](std::vector<NimbrelRule> list) {
        std::stable_sort(list.begin(), list.end(),
                         [](const NimbrelRule& a, const NimbrelRule& b) { return a.createdAt > b.createdAt; });
        return list;
    };
    // Three rules are added and three changed; `deleted` are deleted, fewer or more than added.
    const struct {
        const char* what;
        std::function<std::vector<NimbrelRule>()> held;
        std::vector<size_t> deleted;
    } orders[] = {
        {"oldest first", [&] { return made; }, {8, 50}},
        {"oldest first, more deleted than added", [&] { return made; }, {8, 50, 0, 59, 21}},
        {"newest first", [&] { return newestFirst(made); }, {8, 50}},
        {"newest first, a few out of place",
         [&] {
             auto list = newestFirst(made);
             std::swap(list[3], list[40]);
             std::rotate(list.begin() + 10, list.begin() + 11, list.begin() + 30);
             return list;
         },
         {8, 50, 11, 12}},
        {"shuffled",
         [&] {
             auto list = made;
             std::shuffle(list.begin(), list.end(), std::mt19937(7));
             return list;
         },
         {8}},
    };
    for (const auto& order : orders) {
        SCOPED_TRACE(order.what);
        const std::vector<NimbrelRule> held = order.held();
        storeRules(held);
        auto store = makeStore();
        const NimbrelRuleAppTarget mail = tapped(QStringLiteral("Mail"));
        store->rulesForDockTap(mail, 1); // the tap lookup is made, so that the pull must bring it along

        std::vector<NimbrelCloudPayloadRecord> records;
        const auto pulled = [&](NimbrelRule changed) {
            changed.updatedAt = Date{std::floor(scheduler.now().secondsSinceReferenceDate) + 60};
            records.push_back(payloadRecord(changed));
            return changed;
        };
        std::map<Uuid, NimbrelRule> replaced;
        for (int i : {5, 17, 33}) {
            NimbrelRule changed = made[size_t(i)];
            changed.name += QStringLiteral(" changed");
            if (i == 17) changed.trigger.app = tapped(QStringLiteral("Mail")); // filed anew in the lookup
            if (i == 33) changed.createdAt = Date{1010.0}; // moved by the sort, beside one made then
            replaced.emplace(changed.id, pulled(changed));
        }
        std::vector<NimbrelRule> added;
        for (double createdAt : {1030.0, 999.0, 1100.0}) {
            NimbrelRule fresh = rule(QStringLiteral("added at %1").arg(createdAt), QStringLiteral("Mail"));
            fresh.createdAt = Date{createdAt};
            added.push_back(pulled(fresh));
        }
        std::set<Uuid> deleted;
        std::vector<NimbrelCloudTombstone> tombstones;
        for (size_t i : order.deleted) {
            deleted.insert(made[i].id);
            tombstones.push_back(tombstone(made[i].id));
        }

        // The whole list merged, then sorted newest made first.
        std::vector<NimbrelRule> expected;
        for (const NimbrelRule& r : held)
            if (!deleted.count(r.id)) expected.push_back(replaced.count(r.id) ? replaced.at(r.id) : r);
        expected.insert(expected.end(), added.begin(), added.end());
        expected = newestFirst(expected);

        store->applyCloudRules(records, tombstones);
        ASSERT_EQ(names(store->rules().get()), names(expected));
        EXPECT_EQ(store->rules().get(), expected);
        EXPECT_EQ(defaults.dataValue(NimbrelRulesStore::defaultsKey),
                  encodeRules(expected, json::DateForm::SecondsSince2001));
        std::vector<NimbrelRule> onMail;
        std::copy_if(expected.begin(), expected.end(), std::back_inserter(onMail),
                     [](const NimbrelRule& r) { return r.trigger.app.displayName == QLatin1String("Mail"); });
        EXPECT_EQ(names(store->rulesForDockTap(mail, 1)), names(onMail));
    }
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
