#include "platform/Log.h"
#include "sync/SyncFixture.h"

namespace nimbrel {
namespace {

using Status = NimbrelCloudKitAccountStatus;
using Op = CloudFailure::Operation;

class SyncManagerTest : public testing::SyncFixture {
  protected:
    CloudRecord note(const QString& name, const QString& text) {
        CloudRecord r(QStringLiteral("Note"), {name});
        r.set(QStringLiteral("text"), text);
        return r;
    }
    CloudResult<CloudRecord> merge(const CloudRecord& r, CloudMergeRules rules = {}) {
        return await<CloudResult<CloudRecord>>(
            [&](auto done) { manager->saveRecordMergingServerCopy(r, std::move(done), rules); });
    }
    int fetches() const {
        return int(std::count_if(env.cloud.calls().begin(), env.cloud.calls().end(),
                                 [](const QString& c) { return c.startsWith("fetch "); }));
    }
};

TEST_F(SyncManagerTest, SavesAndFetchesWaitForTheAccountAndPassTheirGates) {
    struct Case {
        Status status;
        Kind fetchState; // after a settings fetch
        bool saved;
    };
    const Case cases[] = {
        {Status::available(), Kind::idle, true},
        {Status::noAccount(), Kind::offline, false},
        {Status::restricted(), Kind::offline, false},
        {Status::couldNotDetermine(), Kind::offline, false},
        {Status::temporarilyUnavailable(), Kind::offline, false},
        {Status::error("broken"), Kind::offline, false},
    };
    for (const Case& c : cases) {
        status->status.set(c.status);
        manager->syncState.set(NimbrelCloudSyncState::disabled());
        const SaveOutcome outcome =
            await<SaveOutcome>([&](auto done) { manager->saveSettingsPayload({}, std::move(done)); });
        EXPECT_EQ(outcome == SaveOutcome::saved, c.saved) << c.status.title().toStdString();
        EXPECT_EQ(state(), c.saved ? Kind::idle : Kind::disabled) << "a save stopped at its gate changes nothing";
        await<std::optional<NimbrelCloudSettingsPayload>>([&](auto done) { manager->fetchSettingsPayload(done); });
        EXPECT_EQ(state(), c.fetchState);
    }

    // While the account is being checked everything waits; the answer releases them.
    status->status.set(Status::checking());
    std::optional<SaveOutcome> saved;
    bool fetched = false;
    manager->saveSettingsPayload({}, [&](SaveOutcome o) { saved = o; });
    manager->fetchPayloadRecords(NimbrelCloudPayloadType::rule, [&](auto) { fetched = true; });
    env.scheduler.advance(3600);
    EXPECT_FALSE(saved.has_value());
    EXPECT_FALSE(fetched);
    status->status.set(Status::noAccount());
    settle();
    EXPECT_EQ(saved, SaveOutcome::skippedAccount);
    EXPECT_TRUE(fetched);
    EXPECT_EQ(state(), Kind::offline);
}

TEST_F(SyncManagerTest, WithoutTheEntitlementsNothingWaitsForTheAccount) {
    env.codeSignature.setEntitlements({});
    status->status.set(Status::checking());
    EXPECT_FALSE(await<bool>([&](auto done) { manager->waitForAccountStatus(done); }));
    EXPECT_EQ(status->status.get(), Status::error("Sync is not configured for this build."));
    EXPECT_EQ(status->container(), nullptr);
    manager->bootstrap();
    EXPECT_EQ(state(), Kind::offline);
    EXPECT_TRUE(env.cloud.calls().empty());
}

TEST_F(SyncManagerTest, WithSyncOffSavesAndSyncNowDoNothing) {
    manager->setSyncEnabled(false);
    bool stepRan = false;
    manager->addSyncNowStep(SyncNowSlot::rules, [&](auto done) {
        stepRan = true;
        done();
    });
    EXPECT_EQ(await<SaveOutcome>([&](auto done) { manager->savePayloadRecord(payload("A", Date{1}), done); }),
              SaveOutcome::skippedSyncOff);
    bool finished = false;
    manager->syncNow([&] { finished = true; });
    manager->bootstrap();
    settle();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(state(), Kind::disabled);
    EXPECT_TRUE(env.cloud.calls().empty());
}

TEST_F(SyncManagerTest, SyncNowRunsTheStoresPullsInSlotOrder) {
    QStringList order;
    for (SyncNowSlot slot : {SyncNowSlot::blacklist, SyncNowSlot::settings, SyncNowSlot::rules, SyncNowSlot::sessions})
        manager->addSyncNowStep(slot, [&, slot](auto done) {
            order << QString::number(int(slot));
            env.scheduler.after(1, done); // a pull that takes a while
        });
    bool finished = false;
    manager->syncNow([&] { finished = true; });
    env.scheduler.advance(3.5);
    EXPECT_FALSE(finished);
    env.scheduler.advance(1);
    EXPECT_TRUE(finished);
    EXPECT_EQ(order, (QStringList{"0", "1", "2", "3"}));
}

TEST_F(SyncManagerTest, ASaveWritesAnUnreadableRecordAnewAndSaysSoOnce) {
    NimbrelCloudSettingsPayload settings;
    settings.updatedAt = Date{10};
    settings.sourceDeviceID = "DEV";
    cloud.putSettings(settings);
    cloud.putPayload(payload("R0", Date{1}));
    const QString replaced = "Cloud Record Replaced: The damaged cloud record \"%1\" could not be read and was "
                             "replaced by this Mac's copy.";
    struct Case {
        QString record;
        std::function<SaveOutcome()> save;
    };
    const Case cases[] = {
        {"settings_primary",
         [&] { return await<SaveOutcome>([&](auto done) { manager->saveSettingsPayload(settings, done); }); }},
        {"sync_registry",
         [&] {
             return await<SaveOutcome>([&](auto done) { manager->savePayloadRecord(payload("R1", Date{2}), done); });
         }},
    };
    for (const Case& c : cases) {
        for (int time = 0; time < 2; ++time) {
            cloud.damage(c.record);
            if (c.record == "settings_primary") {
                // Read as no record, as the fetch's callers expect, but named in the log.
                QStringList lines;
                const LogSink previous = setLogSink([&](const QString& line) { lines << line; });
                EXPECT_FALSE(await<std::optional<NimbrelCloudSettingsPayload>>(
                    [&](auto done) { manager->fetchSettingsPayload(done); }));
                setLogSink(previous);
                EXPECT_EQ(lines.filter("could not read the cloud record settings_primary").size(), 1)
                    << lines.join('\n').toStdString();
            }
            activities.clear();
            EXPECT_EQ(c.save(), SaveOutcome::saved) << c.record.toStdString();
            EXPECT_EQ(activities.filter("Cloud Record Replaced"),
                      time == 0 ? QStringList{replaced.arg(c.record)} : QStringList())
                << c.record.toStdString();
        }
    }
    EXPECT_EQ(cloud.settings(), settings);
    EXPECT_EQ(cloud.listed("payloadIDs_rule"), QStringList{"R1"}) << "the registry written anew, as a missing one";
}

TEST_F(SyncManagerTest, AMergedSaveKeepsTheServersOtherFieldsAndRemovesWhatTheRecordRemoved) {
    CloudRecord server = note("n", "old");
    server.set(QStringLiteral("createdAt"), Date{5});
    server.set(QStringLiteral("picture"), QByteArray("png"));
    cloud.put(server);
    CloudRecord ours = note("n", "new");
    ours.remove(QStringLiteral("picture"));
    auto saved = merge(ours);
    ASSERT_TRUE(saved.ok());
    const CloudRecord now = *cloud.record("n");
    EXPECT_EQ(now.text("text"), QStringLiteral("new"));
    EXPECT_EQ(now.date("createdAt"), Date{5});
    EXPECT_FALSE(now.bytes("picture").has_value());
}

TEST_F(SyncManagerTest, AMergedSaveRecoversFromConflictsAtMostTwoFetchesAndThreeSaves) {
    struct Case {
        const char* name;
        std::vector<CloudFailure> failures; // injected into the calls of the merge, in turn
        bool saved;
        int fetches, saves;
    };
    const CloudError conflict = CloudError::make(CloudError::serverRecordChanged, {});
    const CloudError partial = CloudError::make(CloudError::partialFailure, {});
    const CloudError network = CloudError::make(CloudError::networkFailure, {});
    const CloudError gone = CloudError::make(CloudError::unknownItem, {});
    const Case cases[] = {
        {"plain", {}, true, 1, 1},
        {"another Mac saved after our fetch", {{Op::save, "n", conflict, true}}, true, 1, 2},
        {"a second conflict fails", {{Op::save, "n", conflict, true}, {Op::save, "n", conflict, true}}, false, 1, 2},
        {"conflict without the server's copy", {{Op::save, "n", conflict, false}}, false, 1, 1},
        {"partial failure carrying the server's copy", {{Op::save, "n", partial, true}}, true, 1, 2},
        {"partial failure without one", {{Op::save, "n", partial, false}}, false, 1, 1},
        // The record saved as it is meets the copy the injected failure left: merged onto it.
        {"the copy vanished", {{Op::save, "n", gone, false}}, true, 1, 3},
        {"vanished, then no copy comes back",
         {{Op::save, "n", gone, false}, {Op::save, "n", gone, false}, {Op::fetch, "n", network, false, 1}},
         false,
         2,
         2},
        {"the longest way",
         {{Op::save, "n", gone, false}, {Op::save, "n", gone, false}, {Op::save, "n", conflict, true}},
         false,
         2,
         3},
        {"fetch fails otherwise", {{Op::fetch, "n", network, false}}, false, 1, 0},
    };
    for (const Case& c : cases) {
        cloud.put(note("n", "server"));
        for (const CloudFailure& f : c.failures)
            env.cloud.failNext(f);
        const int fetchesBefore = fetches();
        const int savesBefore = cloud.saves("n");
        auto result = merge(note("n", "ours"));
        EXPECT_EQ(result.ok(), c.saved) << c.name;
        EXPECT_EQ(fetches() - fetchesBefore, c.fetches) << c.name;
        EXPECT_EQ(cloud.saves("n") - savesBefore, c.saves) << c.name;
        EXPECT_EQ(cloud.record("n")->text("text"), c.saved ? "ours" : "server") << c.name;
        EXPECT_EQ(env.cloud.pendingFailures(), 0u) << c.name;
    }
    ASSERT_TRUE(merge(note("fresh", "first")).ok());
    EXPECT_EQ(cloud.record("fresh")->text("text"), QStringLiteral("first")) << "a new record is saved itself";
}

TEST_F(SyncManagerTest, MergeRulesKeepANewerServerCopyAndUniteLists) {
    CloudRecord server = note("n", "newer");
    server.set(QStringLiteral("updatedAt"), Date{200});
    server.set(QStringLiteral("ids"), QStringList{"a", "b"});
    cloud.put(server);

    CloudRecord late = note("n", "older");
    late.set(QStringLiteral("updatedAt"), Date{100});
    ASSERT_TRUE(merge(late, {true, false}).ok());
    EXPECT_EQ(cloud.record("n")->text("text"), QStringLiteral("newer")) << "a late copy leaves the newer one";

    CloudRecord more = note("n", "newer");
    more.set(QStringLiteral("updatedAt"), Date{200});
    more.set(QStringLiteral("ids"), QStringList{"c", "a", "c"});
    ASSERT_TRUE(merge(more, {true, true}).ok());
    EXPECT_EQ(cloud.record("n")->textList("ids"), (QStringList{"a", "b", "c"}));
}

TEST_F(SyncManagerTest, ServerRecordOfAPartialFailureIsTheFirstConflictCarryingOne) {
    CloudError error = CloudError::make(CloudError::partialFailure, {});
    EXPECT_FALSE(NimbrelCloudSyncManager::serverRecord(error).has_value());
    CloudError bare = CloudError::make(CloudError::serverRecordChanged, {});
    CloudError other = CloudError::make(CloudError::networkFailure, {});
    other.serverRecord = std::make_shared<CloudRecord>(note("x", "other"));
    CloudError carrying = bare;
    carrying.serverRecord = std::make_shared<CloudRecord>(note("y", "server"));
    error.partialErrorsByItemID = {bare, other, carrying};
    ASSERT_TRUE(NimbrelCloudSyncManager::serverRecord(error).has_value());
    EXPECT_EQ(NimbrelCloudSyncManager::serverRecord(error)->text("text"), QStringLiteral("server"));
}

} // namespace
} // namespace nimbrel
