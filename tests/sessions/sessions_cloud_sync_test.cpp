#include "sessions/SessionsCloudSync.h"

#include "sessions/SessionsFixture.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudOwnCopies.h"
#include "sync/CloudPendingChanges.h"
#include "sync/CloudProbe.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"

#include <cmath>

namespace nimbrel::test {
namespace {

using Type = NimbrelCloudPayloadType;

class SessionsCloudSyncTest : public SessionsFixture {
  protected:
    SessionsCloudSyncTest() { status->status.set(NimbrelCloudKitAccountStatus::available()); }

    NimbrelSessionsStore& makeSyncingStore() {
        NimbrelSessionsStore::Parts parts = outside.parts();
        parts.makeCloudSide = [this](std::weak_ptr<NimbrelSessionsStore> s) {
            auto side = std::make_unique<SessionsCloudSync>(platform, std::move(s), links());
            cloudSide = side.get();
            return side;
        };
        store = NimbrelSessionsStore::create(platform, std::move(parts));
        scheduler.advance(0);
        return *store;
    }
    StoreSyncLinks links() {
        StoreSyncLinks l;
        l.isSyncEnabled = [this] { return syncEnabled; };
        l.syncManager = [this]() -> NimbrelCloudSyncManager& { return *manager; };
        return l;
    }
    NimbrelCloudPayloadRecord record(const NimbrelSession& s) {
        return {s.id.toString(),
                Type::session,
                NimbrelCloudPayloadRecord::makeJSONEncoder().encode(encodeSession(s)),
                "OTHER",
                s.createdAt,
                s.updatedAt,
                1};
    }
    static NimbrelCloudTombstone tombstone(const Uuid& id) {
        return {id.toString(), Type::session, "OTHER", Date{}, 1};
    }
    QStringList names() const {
        QStringList out;
        for (const auto& s : store->sessions().get())
            out << s.name;
        return out;
    }

    bool syncEnabled = true;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
    std::shared_ptr<NimbrelCloudSyncManager> manager = std::make_shared<NimbrelCloudSyncManager>(platform, status);
    testing::CloudProbe cloud{simulated.cloud()};
    SessionsCloudSync* cloudSide = nullptr;
};

TEST_F(SessionsCloudSyncTest, TheMergeFollowsTombstonesAndTheNewerCopy) {
    NimbrelSession a = workSession("A");
    NimbrelSession b = workSession("B");
    b.scheduleWeekdays.clear(); // never active
    storeSessions({a, b});
    makeSyncingStore();
    takeActivities();
    a = store->sessions().get()[0]; // as the store read them back
    b = store->sessions().get()[1];

    auto renameB = [&](const char* name) {
        NimbrelSession renamed = b;
        renamed.name = name;
        store->updateSession(renamed);
    };
    // B as it was before it was renamed, dated the second of the copy held now, as this Mac sent it
    // or as another did.
    const QString ownID = NimbrelDeviceIdentityProvider(platform).loadOrCreateDeviceID();
    auto cloudCopyOfB = [&](bool own = true) {
        NimbrelSession copy = b;
        copy.updatedAt = store->sessions().get()[1].updatedAt;
        NimbrelCloudPayloadRecord copyRecord = record(copy);
        if (own) copyRecord.sourceDeviceID = ownID;
        return std::pair{std::vector{copyRecord}, std::vector<NimbrelCloudTombstone>{}};
    };

    // B renamed and pushed (the cloud's copy is then this Mac's own, whatever id it carries), then
    // renamed again in the same second while paused; the cloud's copy as a pull reads it.
    auto pushedThenRenamedWhilePaused = [&](const QString& pushed, const QString& paused) {
        renameB(pushed.toUtf8().constData());
        scheduler.advance(0);
        setPause(true);
        renameB(paused.toUtf8().constData());
        setPause(false);
        for (const NimbrelCloudPayloadRecord& r : cloud.payloads(Type::session))
            if (r.objectID == b.id.toString()) return r;
        ADD_FAILURE() << "B is not in the cloud";
        return NimbrelCloudPayloadRecord{};
    };
    auto only = [](std::vector<NimbrelCloudPayloadRecord> records) {
        return std::pair{std::move(records), std::vector<NimbrelCloudTombstone>{}};
    };
    const int unreadable = -25308; // a locked keychain, without a prompt
    // What this Mac keeps of B besides the copy: its own copy in the cloud, a push waiting, a
    // change made while paused. B gets all three.
    auto marksOfB = [&] {
        const QString key = NimbrelCloudSyncManager::pushKey(Type::session, b.id.toString());
        return int(defaults.contains(CloudOwnCopies::key + "." + key)) + int(manager->pendingPush(key).has_value()) +
               int(CloudPendingChanges(defaults, SessionsCloudSync::unsentChangesKey)
                       .dateOf(b.id.toString())
                       .has_value());
    };
    auto markB = [&] {
        simulated.keychain().setReadStatus(0);
        renameB("B pushed");
        scheduler.advance(0);
        simulated.cloud().failNext(
            {CloudFailure::Operation::save, {}, CloudError::make(CloudError::networkFailure, {})});
        renameB("B failed");
        scheduler.advance(0);
        setPause(true);
        renameB("B paused");
        setPause(false);
        EXPECT_EQ(marksOfB(), 3);
    };

    struct Case {
        const char* name;
        std::function<std::pair<std::vector<NimbrelCloudPayloadRecord>, std::vector<NimbrelCloudTombstone>>()> pull;
        QStringList expected;
        const char* syncedFrom; // what "Sessions Synced From iCloud" names, if it is recorded
        bool marksOfBGone = false;
    };
    const Case cases[] = {
        {"the same sessions",
         [&] {
             return std::pair{std::vector{record(a), record(b)}, std::vector<NimbrelCloudTombstone>{}};
         },
         {"A", "B"},
         nullptr},
        {"an older copy",
         [&] {
             NimbrelSession old = a;
             old.name = "A old";
             old.updatedAt = a.updatedAt.addingSeconds(-5);
             return std::pair{std::vector{record(old)}, std::vector<NimbrelCloudTombstone>{}};
         },
         {"A", "B"},
         nullptr},
        {"a newer copy",
         [&] {
             NimbrelSession renamed = a;
             renamed.name = "C";
             renamed.updatedAt = a.updatedAt.addingSeconds(5);
             a = renamed;
             return std::pair{std::vector{record(renamed)}, std::vector<NimbrelCloudTombstone>{}};
         },
         {"B", "C"},
         "another device"},
        {"a new pinned session goes to the top",
         [&] {
             NimbrelSession pinned = workSession("Z pinned");
             pinned.isPinned = true;
             pinned.scheduleWeekdays.clear();
             return std::pair{std::vector{record(pinned)}, std::vector<NimbrelCloudTombstone>{}};
         },
         {"Z pinned", "B", "C"},
         "another device"},
        // The cloud lacks these changes, so this Mac's own copy of their second is from before them.
        {"a copy of the same second over a change made while paused, after a restart",
         [&] {
             scheduler.advance(0.4); // the sessions file keeps the date to the second
             setPause(true);
             renameB("B paused");
             setPause(false);
             store.reset();
             makeSyncingStore();
             return cloudCopyOfB();
         },
         {"Z pinned", "B paused", "C"},
         nullptr},
        {"a copy of the same second over a change whose push failed",
         [&] {
             simulated.cloud().failNext(
                 {CloudFailure::Operation::save, {}, CloudError::make(CloudError::networkFailure, {})});
             renameB("B unsent");
             scheduler.advance(0);
             return cloudCopyOfB();
         },
         {"Z pinned", "B unsent", "C"},
         nullptr},
        // Another Mac's copy of that second may be later: it wins, and both Macs agree.
        {"another Mac's copy of the same second over a change made while paused",
         [&] {
             setPause(true);
             renameB("B paused again");
             setPause(false);
             return cloudCopyOfB(false);
         },
         {"Z pinned", "B", "C"},
         "another device"},
        {"this Mac's own copy of the same second, with the keychain unreadable",
         [&] {
             simulated.keychain().setReadStatus(unreadable);
             return only({pushedThenRenamedWhilePaused("B pushed", "B paused, no id")});
         },
         {"Z pinned", "B paused, no id", "C"},
         nullptr},
        {"this Mac's own copy of the same second, pushed before its id was stored",
         [&] {
             simulated.keychain().setReadStatus(0);
             simulated.keychain().remove(NimbrelDeviceIdentityProvider::keychainService,
                                         NimbrelDeviceIdentityProvider::keychainAccount);
             const NimbrelCloudPayloadRecord own = pushedThenRenamedWhilePaused("B pushed first", "B paused, id new");
             NimbrelDeviceIdentityProvider(platform).loadOrCreateDeviceID();
             return only({own});
         },
         {"Z pinned", "B paused, id new", "C"},
         nullptr},
        {"two records of B in one pull, the first another Mac's of the same second",
         [&] {
             const NimbrelCloudPayloadRecord own = pushedThenRenamedWhilePaused("B pushed again", "B paused again");
             NimbrelSession elsewhere = b;
             elsewhere.name = "B elsewhere";
             elsewhere.updatedAt = store->sessions().get()[1].updatedAt;
             return only({record(elsewhere), own});
         },
         {"Z pinned", "B elsewhere", "C"},
         "another device"},
        // Perhaps this Mac's own copy whose save never answered: one from before the change is.
        {"an \"unknown-device\" copy of the same second from before a change made while paused, keychain unreadable",
         [&] {
             simulated.keychain().setReadStatus(unreadable);
             setPause(true);
             renameB("B paused once more");
             setPause(false);
             auto [records, none] = cloudCopyOfB(false);
             records[0].sourceDeviceID = kUnknownDeviceID;
             records[0].updatedAt = records[0].updatedAt.addingSeconds(-0.01);
             return only(records);
         },
         {"Z pinned", "B paused once more", "C"},
         nullptr},
        {"an \"unknown-device\" copy of the very moment of that change, keychain unreadable",
         [&] {
             auto [records, none] = cloudCopyOfB(false);
             records[0].sourceDeviceID = kUnknownDeviceID;
             return only(records);
         },
         {"Z pinned", "B", "C"},
         "iCloud"},
        // Records come newest first: a copy the pull took gives way only to a later second, also
        // one of a session the pull added.
        {"two copies of B and of a new session, each pair of one second",
         [&] {
             markB();
             const double second = std::floor(scheduler.now().secondsSinceReferenceDate) + 10;
             auto copy = [&](NimbrelSession s, const char* name, double at) {
                 s.name = name;
                 s.updatedAt = Date{second + at};
                 return record(s);
             };
             const NimbrelSession fresh = workSession("N");
             return only(
                 {copy(b, "B later", 0.9), copy(fresh, "N later", 0.8), copy(b, "B", 0.2), copy(fresh, "N", 0.1)});
         },
         {"Z pinned", "B later", "C", "N later"},
         "another device",
         true},
        {"a tombstone wins over its own record",
         [&] {
             markB();
             NimbrelSession revived = b;
             revived.updatedAt = b.updatedAt.addingSeconds(100);
             return std::pair{std::vector{record(revived)}, std::vector{tombstone(b.id)}};
         },
         {"Z pinned", "C", "N later"},
         "another device",
         true},
    };
    for (const Case& c : cases) {
        auto [records, tombstones] = c.pull();
        cloudSide->applyCloudSessionsPayload(records, tombstones);
        EXPECT_EQ(names(), c.expected) << c.name;
        const QString synced = QStringLiteral("Sessions Synced From iCloud: Sessions were updated from %1.");
        EXPECT_EQ(takeActivities().filter("Synced From"),
                  c.syncedFrom ? QStringList{synced.arg(c.syncedFrom)} : QStringList{})
            << c.name;
        if (c.marksOfBGone) {
            EXPECT_EQ(marksOfB(), 0) << c.name;
        }
        EXPECT_FALSE(store->isApplyingCloudSessionsPayload());
    }
}

// A change whose push failed goes out again after a restart dated as it was made, not to the whole
// second the sessions file keeps: no copy this Mac saved earlier in that second wins over it, also
// one it cannot tell as its own; another Mac's copy of that second decides by its full date; a
// change made since while paused is never sent.
TEST_F(SessionsCloudSyncTest, AChangeWaitingAcrossARestartIsSentDatedAsItWasMade) {
    makeSyncingStore();
    const struct {
        const char* name;
        bool firstAnswerLost; // and the id unreadable: the first save cannot be told as this Mac's
        double otherMacAfter; // another Mac's copy this long after the first save (0: none)
        bool changedWhilePaused;
        const char* inCloud;
    } cases[] = {
        {"this Mac's own copy", false, 0, false, "second"},
        {"its own copy, its answer lost and the id unreadable", true, 0, false, "second"},
        {"another Mac's copy from before the change", false, 0.2, false, "second"},
        {"another Mac's copy from after the change", false, 0.5, false, "other"},
        {"a change made since while paused", false, 0, true, "first"},
    };
    for (const auto& c : cases) {
        simulated.keychain().setReadStatus(0);
        scheduler.advance(1.1 - std::fmod(scheduler.now().secondsSinceReferenceDate, 1.0));
        NimbrelSession session = workSession("first");
        session.scheduleWeekdays.clear();
        store->addSession(session);
        scheduler.advance(0);
        NimbrelSession other = session;
        other.name = "other";
        other.updatedAt = scheduler.now().addingSeconds(c.otherMacAfter);
        if (c.firstAnswerLost) {
            CloudOwnCopies(defaults).forget(NimbrelCloudSyncManager::pushKey(Type::session, session.id.toString()));
            simulated.keychain().setReadStatus(-25308);
        }
        scheduler.advance(0.3);
        simulated.cloud().failNext(
            {CloudFailure::Operation::save, {}, CloudError::make(CloudError::networkFailure, {})});
        session.name = "second";
        store->updateSession(session);
        scheduler.advance(0);
        if (c.otherMacAfter > 0) cloud.putPayload(record(other));
        setPause(c.changedWhilePaused);
        session.name = "paused";
        if (c.changedWhilePaused) store->updateSession(session);
        setPause(false);
        store.reset();
        makeSyncingStore();
        scheduler.advance(1);
        QString inCloud;
        for (const NimbrelCloudPayloadRecord& r : cloud.payloads(Type::session))
            if (r.objectID == session.id.toString()) inCloud = decodeSessionData(r.payload, Date{}).value->name;
        EXPECT_EQ(inCloud, c.inCloud) << c.name;
    }
}

TEST_F(SessionsCloudSyncTest, APulledSessionTakesItsIdFromItsRecordAndBadPayloadsAreReported) {
    makeSyncingStore();
    const Uuid id = Uuid::random();
    NimbrelCloudPayloadRecord noId{
        id.toString(), Type::session, R"({"name":"Remote","scheduleWeekdays":[]})", "OTHER", Date{0}, Date{1}, 1};
    NimbrelCloudPayloadRecord broken{
        Uuid::random().toString(), Type::session, R"({"name":5})", "OTHER", Date{}, Date{}, 1};
    for (int pull = 0; pull < 3; ++pull)
        cloudSide->applyCloudSessionsPayload({noId, broken}, {});
    ASSERT_EQ(store->sessions().get().size(), 1u) << "not added again at every pull";
    EXPECT_EQ(store->sessions().get()[0].id, id);
    EXPECT_EQ(takeActivities().filter("Session Decode Failed").size(), 3);
}

TEST_F(SessionsCloudSyncTest, AnUnchangedPayloadInAnOlderFormChangesNothingAtLaterPulls) {
    // Written by hand or by another version: no dates, one picture in the old form.
    const Uuid id = Uuid::random();
    const NimbrelCloudPayloadRecord old{id.toString(),
                                        Type::session,
                                        R"({"name":"Old form","scheduleWeekdays":[],"usesCustomWallpaper":true,)"
                                        R"("wallpaperPath":"/Users/anna/Pictures/Lake.heic"})",
                                        "OTHER",
                                        Date{100},
                                        Date{200},
                                        1};
    cloud.putPayload(old);
    makeSyncingStore();
    for (int pull = 0; pull < 5; ++pull)
        scheduler.advance(60);
    ASSERT_EQ(names(), QStringList{"Old form"});
    EXPECT_EQ(store->sessions().get()[0].updatedAt, Date{200}) << "the record's date, not the time of a pull";
    EXPECT_EQ(takeActivities().filter("Sessions Synced From iCloud").size(), 1);
}

TEST_F(SessionsCloudSyncTest, ChangesGoOutThroughTheGateAndDeletionsWaitForIt) {
    makeSyncingStore();
    syncEnabled = false;
    NimbrelSession quiet = workSession("Quiet");
    quiet.scheduleWeekdays.clear();
    store->addSession(quiet);
    scheduler.advance(5);
    EXPECT_EQ(cloud.saves(""), 0) << "a change made while sync is off is not sent";
    syncEnabled = true;
    scheduler.advance(60);
    EXPECT_TRUE(cloud.payloads(Type::session).empty()) << "nor later";

    NimbrelSession sent = workSession("Sent");
    sent.scheduleWeekdays.clear();
    store->addSession(sent);
    scheduler.advance(0);
    ASSERT_EQ(cloud.payloads(Type::session).size(), 1u);
    EXPECT_EQ(decodeSessionData(cloud.payloads(Type::session)[0].payload, Date{}).value->name, "Sent");
    EXPECT_EQ(cloud.payloads(Type::session)[0].objectID, sent.id.toString());

    // Deleted while paused: the session stays gone locally, and its tombstone goes at the next pull.
    setPause(true);
    store->deleteSession(sent.id);
    store->deleteSession(Uuid::random()); // not in the list: a tombstone all the same
    scheduler.advance(120);
    EXPECT_TRUE(cloud.tombstones(Type::session).empty());
    EXPECT_EQ(names(), QStringList{"Quiet"});
    setPause(false);
    scheduler.advance(60);
    EXPECT_EQ(cloud.tombstones(Type::session).size(), 2u);
    EXPECT_EQ(names(), QStringList{"Quiet"}) << "the pull did not bring it back";
    EXPECT_TRUE(CloudPendingChanges(defaults, SessionsCloudSync::pendingDeletionsKey).entries().empty());

    // A session sent while the sync registry could not be written is listed when it is written anew.
    simulated.cloud().failNext(
        {CloudFailure::Operation::save, "sync_registry", CloudError::make(CloudError::networkFailure, {})});
    store->updateSession(quiet);
    scheduler.advance(0);
    cloud.damage("sync_registry");
    store->deleteSession(Uuid::random());
    scheduler.advance(0);
    EXPECT_TRUE(cloud.listed("payloadIDs_session").contains(quiet.id.toString()));
}

TEST_F(SessionsCloudSyncTest, APullWhoseFetchFailedBringsNoDeletedSessionBack) {
    // A session deleted on another Mac: its record stays in the cloud beside its tombstone.
    const NimbrelSession deleted = workSession("Deleted"); // active now, were it ever merged
    cloud.putPayload(record(deleted));
    cloud.putTombstone(tombstone(deleted.id));
    makeSyncingStore();
    ASSERT_TRUE(store->sessions().get().empty());
    takeActivities();
    outside.take();

    using Op = CloudFailure::Operation;
    const CloudError lost = CloudError::make(CloudError::networkFailure, QStringLiteral("lost"));
    const QString tombstoneName = tombstoneRecordID(Type::session, deleted.id.toString()).recordName;
    CloudError rejected = CloudError::make(CloudError::serverRejectedRequest, QStringLiteral("rejected"));
    rejected.itemID = {tombstoneName};
    const std::tuple<const char*, std::function<void()>, QStringList> failures[] = {
        {"the tombstones' registry read",
         [&] {
             simulated.cloud().failNext({Op::fetch, "sync_registry", lost, false, 1});
         },
         {"Delete Fetch Failed: lost"}},
        {"the tombstones' batch",
         [&] {
             simulated.cloud().failNext({Op::batchFetch, {}, lost, false, 1});
         },
         {"Delete Fetch Failed: lost"}},
        {"the tombstone answered with an error of its own",
         [&] {
             simulated.cloud().failNext({Op::batchFetch,
                                         "deleted_session_*",
                                         CloudError::make(CloudError::partialFailure, {}),
                                         false,
                                         0,
                                         {},
                                         1,
                                         {},
                                         {rejected}});
         },
         {"Delete Fetch Failed: rejected"}},
        // The registry lists the deletion all the same; nothing fails, but the damage is told.
        {"the tombstone damaged",
         [&] { cloud.damage(tombstoneName); },
         {QStringLiteral("Session Decode Failed: The record \"%1\" could not be read: The cloud database holds a "
                         "damaged record \"%1\". What it deleted stays deleted.")
              .arg(tombstoneName)}},
    };
    for (const auto& [name, spoil, recorded] : failures) {
        spoil();
        scheduler.advance(60);
        EXPECT_TRUE(store->sessions().get().empty()) << name;
        EXPECT_FALSE(store->activeSession().get().has_value()) << name;
        EXPECT_EQ(takeActivities(), recorded) << name;
    }
    EXPECT_TRUE(outside.take().filter("dock").isEmpty()) << "nothing was applied";
}

TEST_F(SessionsCloudSyncTest, AnUnreadableSessionRecordIsReportedAndAnUnchangedOneIsNotDecodedAgain) {
    NimbrelSession kept = workSession("Kept");
    kept.scheduleWeekdays.clear();
    NimbrelSession damaged = workSession("Damaged");
    cloud.putPayload(record(kept));
    cloud.putPayload(record(damaged));
    const QString damagedName = payloadRecordID(Type::session, damaged.id.toString()).recordName;
    cloud.damage(damagedName);
    makeSyncingStore();
    EXPECT_EQ(names(), QStringList{"Kept"});
    EXPECT_EQ(takeActivities().filter("Session Decode Failed"),
              QStringList{"Session Decode Failed: The record \"" + damagedName +
                          "\" could not be read: The cloud database holds a damaged record \"" + damagedName + "\"."});

    // Other content under the same change tag is not decoded: the record did not change.
    NimbrelSession renamed = kept;
    renamed.name = "Renamed under the same tag";
    renamed.updatedAt = scheduler.now().addingSeconds(3600);
    cloud.rewriteKeepingTag(payloadRecordID(Type::session, kept.id.toString()).recordName, record(renamed));
    scheduler.advance(60);
    EXPECT_EQ(names(), QStringList{"Kept"});
    EXPECT_EQ(takeActivities().filter("Session Decode Failed").size(), 1) << "reported at every pull";
    // Changed under a new tag, as another Mac's save leaves it.
    cloud.putPayload(record(renamed));
    scheduler.advance(60);
    EXPECT_EQ(names(), QStringList{"Renamed under the same tag"});
}

TEST_F(SessionsCloudSyncTest, AMergeThatActivatesASessionAppliesItAtOnce) {
    makeSyncingStore();
    takeActivities();
    cloud.putPayload(record(workSession("Remote work")));
    bool done = false;
    manager->syncNow([&] { done = true; });
    scheduler.advance(0);
    EXPECT_TRUE(done);
    ASSERT_TRUE(store->activeSession().get().has_value());
    EXPECT_EQ(store->activeSession().get()->name, QStringLiteral("Remote work"));
    const QStringList recorded = takeActivities();
    EXPECT_TRUE(recorded.contains("Sessions Synced From iCloud: Sessions were updated from another device."))
        << recorded.join("\n").toStdString();
}

} // namespace
} // namespace nimbrel::test
