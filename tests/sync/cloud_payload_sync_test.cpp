#include "support/HeldBackground.h"
#include "sync/SyncFixture.h"

#include <QScopeGuard>

namespace nimbrel {
namespace {

using Op = CloudFailure::Operation;
using Type = NimbrelCloudPayloadType;

class CloudPayloadSyncTest : public testing::SyncFixture {
  protected:
    // Nothing (nullopt) when the fetch failed.
    std::optional<std::vector<NimbrelCloudPayloadRecord>> pulled(Type type = Type::rule) {
        return await<std::optional<std::vector<NimbrelCloudPayloadRecord>>>(
            [&](auto done) { manager->fetchPayloadRecords(type, std::move(done)); });
    }
    std::optional<std::vector<NimbrelCloudTombstone>> pulledTombstones(Type type = Type::rule) {
        return await<std::optional<std::vector<NimbrelCloudTombstone>>>(
            [&](auto done) { manager->fetchTombstones(type, std::move(done)); });
    }
    SaveOutcome push(const NimbrelCloudPayloadRecord& p) {
        return await<SaveOutcome>([&](auto done) { manager->savePayloadRecord(p, std::move(done)); });
    }
};

TEST_F(CloudPayloadSyncTest, PushesWriteTheRecordListItOnceAndReportByType) {
    EXPECT_EQ(push(payload("R1", Date{10})), SaveOutcome::saved);
    EXPECT_EQ(push(payload("R1", Date{20})), SaveOutcome::saved);
    await<SaveOutcome>(
        [&](auto done) { manager->saveTombstone(tombstone("S1", Date{30}, Type::session), std::move(done)); });
    const CloudRecord registry = *cloud.record("sync_registry");
    EXPECT_EQ(registry.textList("payloadIDs_rule"), QStringList{"R1"});
    EXPECT_EQ(registry.textList("tombstoneIDs_session"), QStringList{"S1"});
    EXPECT_EQ(registry.integer("schemaVersion"), 1);
    EXPECT_EQ(cloud.record("rule_R1")->date("updatedAt"), Date{20});
    EXPECT_EQ(cloud.record("deleted_session_S1")->recordType(), QStringLiteral("NimbrelTombstone"));
    EXPECT_EQ(activities,
              (QStringList{"Rule Synced: A rule was saved to iCloud and is available on all your devices.",
                           "Rule Synced: A rule was saved to iCloud and is available on all your devices.",
                           "Session Deletion Synced: A deleted session was removed from iCloud across all your "
                           "devices."}));
    EXPECT_EQ(state(), Kind::idle);
}

TEST_F(CloudPayloadSyncTest, AFailedPushIsReportedAndWaitsUntilAPushOfItsObjectSucceeds) {
    const CloudError lost = CloudError::make(CloudError::networkFailure, QStringLiteral("lost"));
    struct Case {
        QString id;
        CloudFailure failure;
        bool recordWritten; // before the retry
    };
    const Case cases[] = {
        {"R1", {Op::save, "rule_R1", lost}, false},
        {"R2", {Op::save, "sync_registry", lost}, true}, // written, but not listed for other Macs yet
    };
    auto waiting = [&](Type type) {
        QStringList ids;
        manager->retryPendingPushes(type, [&](const QString& id, Date) {
            ids << id;
            return true;
        });
        return ids;
    };
    for (const Case& c : cases) {
        env.cloud.failNext(c.failure);
        activities.clear();
        EXPECT_EQ(push(payload(c.id, Date{10})), SaveOutcome::failed);
        EXPECT_EQ(activities, QStringList{"Rule Sync Failed: lost"});
        EXPECT_EQ(manager->syncState.get(), NimbrelCloudSyncState::failed("lost"));
        EXPECT_EQ(cloud.record("rule_" + c.id).has_value(), c.recordWritten);
        EXPECT_FALSE(cloud.listed("payloadIDs_rule").contains(c.id));

        // Kept in the defaults, so a restart does not forget it.
        EXPECT_TRUE(CloudPendingChanges(env.defaults, NimbrelCloudSyncManager::pendingPushesKey)
                        .dateOf("rule:" + c.id)
                        .has_value());
        EXPECT_EQ(waiting(Type::session), QStringList{}) << "another kind's retry does not send it";
        EXPECT_EQ(waiting(Type::rule), QStringList{c.id});
        EXPECT_EQ(push(payload(c.id, Date{10})), SaveOutcome::saved);
        EXPECT_TRUE(cloud.listed("payloadIDs_rule").contains(c.id)) << c.id.toStdString();
        EXPECT_EQ(waiting(Type::rule), QStringList{}) << "it no longer waits";
    }
    // An object its store no longer has stops waiting.
    env.cloud.failNext({Op::save, "rule_R3", lost});
    push(payload("R3", Date{10}));
    manager->retryPendingPushes(Type::rule, [](const QString&, Date) { return false; });
    EXPECT_FALSE(manager->pendingPush("rule:R3").has_value());
    EXPECT_TRUE(env.defaults.keysStartingWith(NimbrelCloudSyncManager::pendingPushesKey).isEmpty());

    // The note as one dictionary, as it was kept before, is read and taken over; an entry noted
    // since in a value of its own is the newer one.
    env.defaults.set(NimbrelCloudSyncManager::pendingPushesKey + ".rule:R5", QVariant::fromValue(Date{12}));
    env.defaults.set(
        NimbrelCloudSyncManager::pendingPushesKey,
        QVariantMap{{"rule:R4", QVariant::fromValue(Date{10})}, {"rule:R5", QVariant::fromValue(Date{11})}});
    EXPECT_EQ(manager->pendingPush("rule:R5"), Date{12});
    EXPECT_EQ(waiting(Type::rule), (QStringList{"R4", "R5"}));
    EXPECT_FALSE(env.defaults.contains(NimbrelCloudSyncManager::pendingPushesKey));
}

TEST_F(CloudPayloadSyncTest, PushesOfOneObjectGoInOrderAndANewerOneReplacesAWaitingOrFailedOne) {
    env.cloud.conditions().latency = 0.5;
    std::vector<SaveOutcome> outcomes;
    auto record = [&](SaveOutcome o) { outcomes.push_back(o); };
    manager->savePayloadRecord(payload("R1", Date{10}), record);
    manager->savePayloadRecord(payload("R1", Date{11}), record); // waits, then is replaced
    manager->savePayloadRecord(payload("R1", Date{12}), record);
    manager->saveTombstone(tombstone("R2", Date{12}), record); // another object: its own line
    env.scheduler.advance(30);
    EXPECT_EQ(outcomes.size(), 4u);
    EXPECT_EQ(cloud.saves("rule_R1"), 2);
    EXPECT_EQ(cloud.record("rule_R1")->date("updatedAt"), Date{12});

    // A failed push replaced by a newer edit: the newer one waits, and a push under way is not
    // offered for a retry.
    env.cloud.conditions().latency = 0;
    env.cloud.failNext({Op::save, "rule_R1", CloudError::make(CloudError::networkFailure, {})});
    EXPECT_EQ(push(payload("R1", Date{20})), SaveOutcome::failed);
    status->status.set(NimbrelCloudKitAccountStatus::noAccount());
    EXPECT_EQ(push(payload("R1", Date{21})), SaveOutcome::skippedAccount);
    EXPECT_EQ(manager->pendingPush("rule:R1"), Date{21});
    status->status.set(NimbrelCloudKitAccountStatus::available());
    int offered = 0;
    manager->savePayloadRecord(payload("R1", Date{21}));
    manager->retryPendingPushes(Type::rule, [&](const QString&, Date) { return ++offered > 0; });
    EXPECT_EQ(offered, 0);
    settle();
    EXPECT_EQ(cloud.record("rule_R1")->date("updatedAt"), Date{21});
    EXPECT_FALSE(manager->pendingPush("rule:R1").has_value());
}

TEST_F(CloudPayloadSyncTest, ALatePushNeverReplacesANewerCopyAndSaysWhose) {
    cloud.putPayload(payload("R1", Date{100}));
    cloud.putBlacklist({{"com.a"}, Date{100}, "DEV", 1});
    // This Mac's own copy, saved at a fraction of a second, and a copy of no known Mac.
    ASSERT_EQ(push(payload("R2", Date{100.5})), SaveOutcome::saved);
    cloud.putPayload({"R3", Type::rule, "{}", kUnknownDeviceID, Date{0}, Date{100}, 1});
    manager->lastSuccessfulSyncAt.set(std::nullopt);
    using Done = NimbrelCloudSyncManager::SaveDone;
    const std::pair<std::function<void(Done)>, QString> cases[] = {
        {[&](Done d) { manager->savePayloadRecord(payload("R1", Date{50}), d); },
         "Rule Sync Skipped: iCloud holds a newer copy of this rule from another device, so that copy was kept."},
        {[&](Done d) {
             manager->saveBlacklistPayload({{"com.b"}, Date{50}, "DEV", 1}, d);
         },
         "Blacklist Sync Skipped: iCloud holds a newer blacklist from another device, so it was kept."},
        {[&](Done d) {
             env.keychain.setReadStatus(errSecInteractionNotAllowed); // known by its save's answer alone
             manager->savePayloadRecord(payload("R2", Date{50}), d);
         },
         "Rule Sync Skipped: iCloud holds a newer copy of this rule saved on this Mac, so that copy was kept."},
        {[&](Done d) { manager->savePayloadRecord(payload("R3", Date{50}), d); },
         "Rule Sync Skipped: iCloud holds a newer copy of this rule, so that copy was kept."},
    };
    for (const auto& [save, activity] : cases) {
        activities.clear();
        EXPECT_EQ(await<SaveOutcome>(save), SaveOutcome::keptNewerServerCopy);
        EXPECT_EQ(activities, QStringList{activity});
        EXPECT_EQ(state(), Kind::idle);
        EXPECT_FALSE(manager->lastSuccessfulSyncAt.get().has_value()) << "nothing was synced";
    }
    EXPECT_EQ(cloud.payloads(Type::rule)[0].updatedAt, Date{100});
    EXPECT_EQ(cloud.blacklist()->blacklistedAppKeys, QStringList{"com.a"});
    EXPECT_EQ(push(payload("R1", Date{100.5})), SaveOutcome::saved);
    EXPECT_EQ(cloud.payloads(Type::rule)[0].updatedAt, Date{100.5});
}

TEST_F(CloudPayloadSyncTest, FetchesAreNewestFirstSkipWhatDoesNotReadAndGoInChunks) {
    EXPECT_EQ(pulled(), std::vector<NimbrelCloudPayloadRecord>{}) << "no ids: an empty cloud, not a failure";
    EXPECT_EQ(state(), Kind::idle);
    EXPECT_FALSE(manager->lastSuccessfulSyncAt.get().has_value()) << "no ids: not a successful sync";

    for (int i = 0; i < 450; ++i)
        cloud.putPayload(payload(QStringLiteral("R%1").arg(i), Date{double(i % 7)}));
    cloud.list(cloudnames::syncRegistry, "payloadIDs_rule", "MISSING");
    CloudRecord broken = *cloud.record("rule_R5");
    broken.remove("schemaVersion");
    cloud.put(broken);
    const int batchesBefore = int(env.cloud.calls().size());
    const auto got = *pulled();
    EXPECT_EQ(got.size(), 449u);
    EXPECT_TRUE(
        std::is_sorted(got.begin(), got.end(), [](const auto& a, const auto& b) { return a.updatedAt > b.updatedAt; }));
    const std::vector<QString> calls(env.cloud.calls().begin() + batchesBefore, env.cloud.calls().end());
    EXPECT_EQ(calls, (std::vector<QString>{"fetch sync_registry", "batch 200", "batch 200", "batch 51"}));
    EXPECT_EQ(manager->lastSuccessfulSyncAt.get(), env.scheduler.now());
    EXPECT_TRUE(activities.isEmpty());
}

TEST_F(CloudPayloadSyncTest, AFailedRegistryReadOrChunkFailsTheWholeFetch) {
    for (int i = 0; i < 250; ++i)
        cloud.putPayload(payload(QStringLiteral("R%1").arg(i), Date{1}));
    cloud.putTombstone(tombstone("R1", Date{2}));
    const CloudError lost = CloudError::make(CloudError::networkFailure, QStringLiteral("lost"));
    struct Case {
        CloudFailure failure;
        bool tombstones;
        QString title;
    };
    const Case cases[] = {
        {{Op::fetch, "sync_registry", lost}, false, "Payload Fetch Failed: lost"},
        {{Op::batchFetch, {}, lost, false, 1}, false, "Payload Fetch Failed: lost"}, // the second chunk
        {{Op::fetch, "sync_registry", lost}, true, "Delete Fetch Failed: lost"},
    };
    for (const Case& c : cases) {
        activities.clear();
        env.cloud.failNext(c.failure);
        const bool fetched = c.tombstones ? pulledTombstones().has_value() : pulled().has_value();
        EXPECT_FALSE(fetched) << c.title.toStdString() << ": a failure, not an empty list";
        EXPECT_EQ(activities, QStringList{c.title});
        EXPECT_EQ(manager->syncState.get(), NimbrelCloudSyncState::failed("lost"));
    }
    EXPECT_EQ(pulled()->size(), 250u);
}

TEST_F(CloudPayloadSyncTest, ATombstoneThatCouldNotBeFetchedFailsThePullUnlessItIsMissingOrDamaged) {
    cloud.putPayload(payload("R1", Date{1}));
    cloud.putTombstone(tombstone("R2", Date{2}));
    cloud.putTombstone(tombstone("R3", Date{3}));
    cloud.list(cloudnames::syncRegistry, "tombstoneIDs_rule", "R4"); // listed, never written
    auto items = [](int code) {
        CloudError item = CloudError::make(code, {});
        item.itemID = {"deleted_rule_R2"};
        return CloudFailure{
            Op::batchFetch, "deleted_rule_*", CloudError::make(CloudError::partialFailure, {}), false, 0, {}, 1, {},
            {item}};
    };
    struct Case {
        const char* name;
        std::function<void()> spoil;
        bool fails;
        std::vector<CloudUnreadableRecord> unreadable;
    };
    const Case cases[] = {
        {"rejected", [&] { env.cloud.failNext(items(CloudError::serverRejectedRequest)); }, true, {}},
        {"connection lost", [&] { env.cloud.failNext(items(CloudError::networkFailure)); }, true, {}},
        {"not found", [&] { env.cloud.failNext(items(CloudError::unknownItem)); }, false, {}},
        {"damaged",
         [&] { cloud.damage("deleted_rule_R2"); },
         false,
         {{"deleted_rule_R2", "The cloud database holds a damaged record \"deleted_rule_R2\"."}}},
    };
    for (const Case& c : cases) {
        c.spoil();
        activities.clear();
        const auto pull = await<std::optional<CloudPull>>(
            [&](auto done) { manager->fetchPayloadsAndTombstones(Type::rule, std::move(done)); });
        ASSERT_EQ(pull.has_value(), !c.fails) << c.name;
        if (c.fails) {
            EXPECT_EQ(activities.size(), 1) << c.name;
            EXPECT_TRUE(activities.value(0).startsWith("Delete Fetch Failed: ")) << c.name;
            EXPECT_EQ(state(), Kind::failed) << c.name;
            continue;
        }
        EXPECT_EQ(pull->deletedIDs, (QStringList{"R2", "R3", "R4"})) << c.name << ": every listed deletion";
        EXPECT_EQ(pull->unreadableTombstones, c.unreadable) << c.name;
        EXPECT_EQ(pull->records.size(), 1u) << c.name;
        EXPECT_TRUE(activities.isEmpty()) << c.name;
        EXPECT_EQ(state(), Kind::idle) << c.name;
    }
}

TEST_F(CloudPayloadSyncTest, APayloadRecordThatCannotBeReadIsNamedAndTheOthersComeBack) {
    for (const char* id : {"R1", "R2", "R3", "R4"})
        cloud.putPayload(payload(id, Date{1}));
    cloud.damage("rule_R2");
    CloudRecord partial = *cloud.record("rule_R3");
    partial.remove("objectID");
    cloud.put(partial);
    CloudError rejected = CloudError::make(CloudError::serverRejectedRequest, {});
    rejected.itemID = {"rule_R4"};
    env.cloud.failNext(
        {Op::batchFetch, "rule_*", CloudError::make(CloudError::partialFailure, {}), false, 0, {}, 1, {}, {rejected}});
    const auto pull = await<std::optional<CloudPull>>(
        [&](auto done) { manager->fetchPayloadsAndTombstones(Type::rule, std::move(done)); });
    ASSERT_TRUE(pull.has_value());
    ASSERT_EQ(pull->records.size(), 1u);
    EXPECT_EQ(pull->records[0].objectID, QStringLiteral("R1"));
    EXPECT_EQ(pull->unreadableRecords,
              (std::vector<CloudUnreadableRecord>{{"rule_R2", "The cloud database holds a damaged record \"rule_R2\"."},
                                                  {"rule_R3", "A field is missing or of another kind."},
                                                  {"rule_R4", "The server rejected the request."}}));
    // The stores report them; the fetch itself read the batch.
    EXPECT_TRUE(activities.isEmpty());
    EXPECT_EQ(state(), Kind::idle);
    EXPECT_EQ(manager->lastSuccessfulSyncAt.get(), env.scheduler.now());
}

TEST_F(CloudPayloadSyncTest, WorkersReadAPullCheckItAgainstTheMergesAndFreeIt) {
    const QString merged = "11111111-1111-1111-1111-111111111111", changed = "22222222-2222-2222-2222-222222222222";
    cloud.putPayload(payload(merged, Date{10}));
    cloud.putPayload(payload(changed, Date{20}));
    CloudMergeMemory memory;
    memory.remember(*Uuid::parse(merged),
                    {cloud.record("rule_" + merged)->recordChangeTag(), *Uuid::parse(merged), Date{10}});
    memory.remember(*Uuid::parse(changed), {"an older tag", *Uuid::parse(changed), Date{15}});
    test::HeldBackground background(env.scheduler);
    env.platform.scheduler = &background.scheduler;
    const auto restore = qScopeGuard([&] { env.platform.scheduler = &env.scheduler; });
    std::optional<std::optional<CloudPull>> lent;
    manager->fetchPayloadsAndTombstones(
        Type::rule, [&](const std::optional<CloudPull>& pull) { lent = pull; }, memory);
    settle();
    EXPECT_FALSE(lent.has_value()) << "the main thread only takes the answers: workers read the batch and the keys";
    size_t ran = 0;
    for (; !lent && ran < background.held.size(); ++ran) {
        background.held[ran]();
        settle();
    }
    ASSERT_TRUE(lent && *lent);
    const CloudPull& pull = **lent;
    ASSERT_EQ(pull.records.size(), 2u);
    EXPECT_EQ(pull.records[0].objectID, changed) << "newest first";
    ASSERT_EQ(pull.recordKeys.size(), 2u);
    EXPECT_EQ(pull.recordKeys[0].objectID, Uuid::parse(changed));
    EXPECT_FALSE(pull.recordKeys[0].mergedBefore.has_value()) << "merged under another tag";
    ASSERT_TRUE(pull.recordKeys[1].mergedBefore.has_value());
    EXPECT_EQ(pull.recordKeys[1].mergedBefore->heldUpdatedAt, Date{10});
    EXPECT_EQ(background.held.size(), ran + 1) << "the pull, once lent, is freed by a worker";
}

TEST_F(CloudPayloadSyncTest, ADeletionListedHereWhileAPullRunsComesWithThatPull) {
    cloud.putPayload(payload("R1", Date{10}));
    cloud.putTombstone(tombstone("R2", Date{5}));
    test::HeldBackground background(env.scheduler);
    env.platform.scheduler = &background.scheduler;
    const auto restore = qScopeGuard([&] { env.platform.scheduler = &env.scheduler; });
    size_t ran = 0;
    auto runHeld = [&] {
        for (const size_t held = background.held.size(); ran < held; ++ran)
            background.held[ran]();
        settle();
    };
    std::optional<std::optional<CloudPull>> lent;
    manager->fetchPayloadsAndTombstones(Type::rule, [&](const std::optional<CloudPull>& pull) { lent = pull; });
    settle();
    runHeld(); // the payloads are read; the tombstones' list is read and their batch waits
    ASSERT_FALSE(lent.has_value());
    std::optional<SaveOutcome> deleted;
    manager->saveTombstone(tombstone("R1", Date{20}), [&](SaveOutcome outcome) { deleted = outcome; });
    settle();
    ASSERT_EQ(deleted, SaveOutcome::saved) << "the store now forgets the deletion it waited to push";
    runHeld();
    ASSERT_TRUE(lent && *lent);
    EXPECT_TRUE((*lent)->deletedIDs.contains("R1")) << "listed after the pull read the list, and before it merges";
}

TEST_F(CloudPayloadSyncTest, ARegistryWithOtherListsUnderTheTagReadBeforeGivesItsOwnLists) {
    cloud.putPayload(payload("R1", Date{10}));
    ASSERT_EQ(pulled()->size(), 1u);
    // A cloud file made anew counts its tags from the start again.
    CloudRecord added(recordTypeOf(Type::rule), payloadRecordID(Type::rule, "R2"));
    payload("R2", Date{20}).writeTo(added);
    cloud.put(added);
    CloudRecord registry = *cloud.record(cloudnames::syncRegistry);
    registry.set(NimbrelCloudSyncManager::payloadListName(Type::rule), QStringList{"R1", "R2"});
    cloud.rewriteKeepingTag(registry);
    EXPECT_EQ(pulled()->size(), 2u);
}

TEST_F(CloudPayloadSyncTest, AnEditMadeWhileTheLastUploadOfItsObjectRunsStillWaitsWhenThatUploadEnds) {
    env.cloud.conditions().latency = 0.5;
    manager->savePayloadRecord(payload("R1", Date{10}));
    env.scheduler.advance(0.1); // its upload under way
    // The edit's own upload fails (the first one's save is let through).
    env.cloud.failNext({Op::save, "rule_R1", CloudError::make(CloudError::networkFailure, {}), false, 1});
    manager->savePayloadRecord(payload("R1", Date{11}));
    env.scheduler.advance(30);
    EXPECT_EQ(cloud.record("rule_R1")->date("updatedAt"), Date{10});
    EXPECT_EQ(manager->pendingPush("rule:R1"), Date{11}) << "the edit must still go out";
}

TEST_F(CloudPayloadSyncTest, SettingsAndBlacklistRecords) {
    NimbrelCloudSettingsPayload settings;
    settings.updatedAt = Date{10};
    settings.sourceDeviceID = "DEV";
    settings.customAccountImageData = QByteArray("png");
    EXPECT_EQ(await<SaveOutcome>([&](auto done) { manager->saveSettingsPayload(settings, done); }), SaveOutcome::saved);
    settings.customAccountImageData.reset();
    settings.updatedAt = Date{11};
    await<SaveOutcome>([&](auto done) { manager->saveSettingsPayload(settings, done); });
    EXPECT_FALSE(cloud.record("settings_primary")->bytes("customAccountImageData").has_value())
        << "a removed picture stays removed";
    EXPECT_TRUE(activities.isEmpty()) << "a settings save records nothing";
    EXPECT_EQ(await<std::optional<NimbrelCloudSettingsPayload>>([&](auto d) { manager->fetchSettingsPayload(d); }),
              settings);

    // A record lacking a required field reads as none and ends idle.
    CloudRecord partial = *cloud.record("settings_primary");
    partial.remove("sourceDeviceID");
    cloud.put(partial);
    manager->syncState.set(NimbrelCloudSyncState::syncing());
    EXPECT_FALSE(await<std::optional<NimbrelCloudSettingsPayload>>([&](auto d) { manager->fetchSettingsPayload(d); }));
    EXPECT_EQ(state(), Kind::idle);

    NimbrelCloudBlacklistPayload blacklist{{"com.a"}, Date{5}, "DEV", 1};
    await<SaveOutcome>([&](auto done) { manager->saveBlacklistPayload(blacklist, done); });
    EXPECT_EQ(activities.last(), QStringLiteral("Blacklist Synced: Blacklisted apps were synced to iCloud."));
    blacklist.recordChangeTag = cloud.record("blacklist_primary")->recordChangeTag(); // read with the record
    EXPECT_EQ(await<std::optional<NimbrelCloudBlacklistPayload>>([&](auto d) { manager->fetchBlacklistPayload(d); }),
              blacklist);
    blacklist.updatedAt = Date{std::numeric_limits<double>::quiet_NaN()};
    EXPECT_EQ(await<SaveOutcome>([&](auto done) { manager->saveBlacklistPayload(blacklist, done); }),
              SaveOutcome::failed);
    EXPECT_TRUE(activities.last().startsWith(QStringLiteral("Blacklist Sync Failed: ")));
    CloudRecord otherDates = *cloud.record("blacklist_primary");
    otherDates.set("payload", QByteArray(R"({"blacklistedAppKeys":[],"schemaVersion":1,"sourceDeviceID":"D",)"
                                         R"("updatedAt":"2025-03-01 08:15:00"})"));
    cloud.put(otherDates);
    EXPECT_FALSE(
        await<std::optional<NimbrelCloudBlacklistPayload>>([&](auto d) { manager->fetchBlacklistPayload(d); }));
    EXPECT_EQ(state(), Kind::idle);
}

} // namespace
} // namespace nimbrel
