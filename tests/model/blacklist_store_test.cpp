#include "model/BlacklistStore.h"
#include "model/StoreFixture.h"
#include "sync/CloudKitStatusProvider.h"

#include <cmath>

namespace nimbrel {
namespace {

class BlacklistStoreTest : public testing::StoreFixture {
  protected:
    // A store whose installed applications come from an earlier (empty) scan.
    std::shared_ptr<BlacklistStore> makeStore() {
        if (!BlacklistStore::cachedInstalledApps()) BlacklistStore::setCachedInstalledApps({});
        auto store = BlacklistStore::create(platform, links());
        scheduler.runUntilIdle();
        return store;
    }
    QStringList storedKeys() const {
        return defaults.stringArrayValue(BlacklistStore::defaultsKey).value_or(QStringList{QStringLiteral("<none>")});
    }
    static NimbrelCloudBlacklistPayload payload(QStringList keys, Date updatedAt = Date{0}) {
        NimbrelCloudBlacklistPayload p;
        p.blacklistedAppKeys = std::move(keys);
        p.updatedAt = updatedAt;
        p.sourceDeviceID = QStringLiteral("OTHER");
        return p;
    }
};

TEST_F(BlacklistStoreTest, SavesKeysSortedByScalarValueWithACountToken) {
    auto store = makeStore();
    store->setBlacklistedAppKeys({QStringLiteral("com.b"), QStringLiteral("/Applications/A"), QStringLiteral("com.a")});
    store->save();
    EXPECT_EQ(storedKeys(),
              (QStringList{QStringLiteral("/Applications/A"), QStringLiteral("com.a"), QStringLiteral("com.b")}));
    EXPECT_EQ(defaults.stringValue(BlacklistStore::refreshTokenKey), QStringLiteral("3"));

    store->setBlacklistedAppKeys({});
    store->save();
    EXPECT_EQ(storedKeys(), QStringList{});
    EXPECT_EQ(defaults.stringValue(BlacklistStore::refreshTokenKey), QStringLiteral("0"));
    EXPECT_TRUE(activities.empty());
}

TEST_F(BlacklistStoreTest, SortsByCodePointsOfTheComposedForm) {
    // U+FF21 (fullwidth A) sorts before U+1F600 by scalar value, though UTF-16 units say otherwise;
    // a decomposed "é" sorts like the composed one (U+00E9), after "z".
    const QString emoji = QString::fromUcs4(U"\U0001F600x");
    const QString fullwidth = QString::fromUcs4(U"\uFF21");
    const QString decomposed = QStringLiteral("e\u0301");
    EXPECT_EQ(BlacklistStore::sortedKeys({emoji, fullwidth, decomposed, QStringLiteral("z")}),
              (QStringList{QStringLiteral("z"), decomposed, fullwidth, emoji}));
}

TEST_F(BlacklistStoreTest, WarnsWhenDefaultsDoNotConfirmTheSave) {
    auto store = makeStore();
    defaults.setFailSynchronize(true);
    store->setBlacklistedAppKeys({QStringLiteral("com.x")});
    store->save();
    ASSERT_EQ(activities.size(), 1u);
    EXPECT_EQ(activities[0].type, QStringLiteral("error"));
    EXPECT_EQ(activities[0].title, QStringLiteral("Blacklist Save Warning"));
    EXPECT_EQ(activities[0].message, QStringLiteral("Nimbrel asked macOS to save the blacklist, but UserDefaults did "
                                                    "not confirm synchronization."));
    EXPECT_EQ(storedKeys(), QStringList{QStringLiteral("com.x")}); // the values stay written
}

TEST_F(BlacklistStoreTest, LoadsStoredKeysAndTreatsMalformedValuesAsEmpty) {
    defaults.setStringArray(BlacklistStore::defaultsKey, {QStringLiteral("com.one"), QStringLiteral("com.two")});
    EXPECT_EQ(makeStore()->blacklistedAppKeys().get(),
              (std::set<QString>{QStringLiteral("com.one"), QStringLiteral("com.two")}));

    defaults.set(BlacklistStore::defaultsKey, QVariantList{QStringLiteral("com.one"), qint64(3)});
    EXPECT_TRUE(makeStore()->blacklistedAppKeys().get().empty());
    defaults.setString(BlacklistStore::defaultsKey, QStringLiteral("com.one"));
    EXPECT_TRUE(makeStore()->blacklistedAppKeys().get().empty());
}

TEST_F(BlacklistStoreTest, RemoveKeysTakesBothFormsOfTheAppKeyOnly) {
    auto store = makeStore();
    store->setBlacklistedAppKeys(
        {QStringLiteral("com.x"), QStringLiteral("/Applications/X.app"), QStringLiteral("com.y")});
    InstalledApp app{QStringLiteral("com.x"),
                     QStringLiteral("X"),
                     QStringLiteral("com.x"),
                     QStringLiteral("/Applications/X.app"),
                     {}};
    store->removeKeys(app);
    EXPECT_EQ(store->blacklistedAppKeys().get(), std::set<QString>{QStringLiteral("com.y")});
    EXPECT_EQ(storedKeys(), QStringList{QStringLiteral("<none>")}); // the caller saves
}

// A pull takes a set that differs, whatever its date, and sends nothing back; a change made here
// while paused keeps its place over this Mac's own copy from before it, and a push that failed
// before it is not sent again; only another Mac's set is reported.
TEST_F(BlacklistStoreTest, PullReplacesADifferentSetUnlessItIsThisMacsOwnCopyFromBeforeAPausedChange) {
    setDeviceID(QStringLiteral("MAC-1"));
    auto store = makeStore();
    auto change = [&](std::set<QString> keys, bool paused) { // as the screen does; sync is off for a pause
        setGlobalPause(paused);
        syncEnabled = !paused;
        store->setBlacklistedAppKeys(std::move(keys));
        store->save();
        store->pushToCloud();
        setGlobalPause(false);
        syncEnabled = true;
    };
    const struct {
        const char* name;
        double pausedAfter; // this Mac sent {com.a}; this long after, paused, it added com.paused (< 0: never)
        int keychainRead;
        QStringList otherMac; // another Mac's set put in the cloud then, dated `otherAt` from then
        double otherAt;
        QStringList expected;
        bool firstPushFails = false;
    } cases[] = {
        {"another Mac's older set", -1, errSecSuccess, {"com.a", "com.remote"}, -10, {"com.a", "com.remote"}},
        {"this Mac's own older copy", 5, errSecSuccess, {}, 0, {"com.a", "com.paused"}},
        {"own copy of that second, id unreadable", 0.2, errSecInteractionNotAllowed, {}, 0, {"com.a", "com.paused"}},
        {"another Mac's later copy", 5, errSecSuccess, {"com.remote"}, 1, {"com.remote"}},
        {"a failed push, then a change while paused",
         5,
         errSecSuccess,
         {"com.remote"},
         -6,
         {"com.a", "com.paused"},
         true},
        {"another Mac's copy of that second", 0.2, errSecSuccess, {"com.remote"}, 0, {"com.remote"}},
    };
    for (const auto& c : cases) {
        scheduler.advance(1.1 - std::fmod(scheduler.now().secondsSinceReferenceDate, 1.0));
        keychain.setReadStatus(c.keychainRead);
        if (c.firstPushFails)
            env.cloud.failNext({CloudFailure::Operation::save, {}, CloudError::make(CloudError::networkFailure, {})});
        change({"com.a"}, false);
        scheduler.advance(std::abs(c.pausedAfter));
        if (c.pausedAfter >= 0) change({"com.a", "com.paused"}, true);
        if (!c.otherMac.isEmpty()) cloud.putBlacklist(payload(c.otherMac, scheduler.now().addingSeconds(c.otherAt)));
        activities.clear();
        const int saves = cloud.saves("blacklist_");
        store->pullFromCloud();
        scheduler.advance(1);
        EXPECT_EQ(storedKeys(), c.expected) << c.name;
        EXPECT_EQ(count("Blacklist Synced From iCloud"), int(c.expected.contains("com.remote"))) << c.name;
        EXPECT_EQ(cloud.saves("blacklist_"), saves) << c.name;
        if (!c.otherMac.isEmpty()) {
            EXPECT_EQ(cloud.blacklist()->blacklistedAppKeys, c.otherMac) << c.name << ": the cloud keeps it";
        }
    }
    EXPECT_EQ(typeOf("Blacklist Synced From iCloud"), "blacklist");
    EXPECT_EQ(messageOf("Blacklist Synced From iCloud"), "Blacklisted apps were updated from another device.");
    EXPECT_FALSE(store->isApplyingCloudBlacklistPayload());
}

TEST_F(BlacklistStoreTest, PullOfTheSameKeysInAnotherOrderChangesNothing) {
    defaults.setStringArray(BlacklistStore::defaultsKey, {QStringLiteral("b"), QStringLiteral("a")});
    cloud.putBlacklist(payload({QStringLiteral("a"), QStringLiteral("b")}));
    auto store = makeStore();
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 1);
    EXPECT_TRUE(activities.empty());
    EXPECT_EQ(storedKeys(), (QStringList{QStringLiteral("b"), QStringLiteral("a")})); // not rewritten
}

TEST_F(BlacklistStoreTest, PullOfTheSameKeysComposedOtherwiseChangesNothing) {
    const QString composed = QStringLiteral("/Applications/Caf\u00E9.app");
    const QString decomposed = QStringLiteral("/Applications/Cafe\u0301.app");
    defaults.setStringArray(BlacklistStore::defaultsKey, {composed, QStringLiteral("com.a")});
    cloud.putBlacklist(payload({QStringLiteral("com.a"), decomposed}));
    auto store = makeStore();
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 1);
    EXPECT_TRUE(activities.empty());
    EXPECT_EQ(store->blacklistedAppKeys().get(), (std::set<QString>{composed, QStringLiteral("com.a")}));

    // A real difference beside the composed one still replaces the set.
    cloud.putBlacklist(payload({QStringLiteral("com.b"), decomposed}));
    store->pullFromCloud();
    scheduler.runUntilIdle();
    EXPECT_EQ(store->blacklistedAppKeys().get(), (std::set<QString>{decomposed, QStringLiteral("com.b")}));
    EXPECT_EQ(count(QStringLiteral("Blacklist Synced From iCloud")), 1);
}

TEST_F(BlacklistStoreTest, PullsOnCloudKitAvailabilityAndEveryMinuteButNotWhileOffOrPaused) {
    auto store = makeStore();
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 1);
    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 2);
    scheduler.advance(60);
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 3);

    syncEnabled = false;
    scheduler.advance(60);
    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 3);

    syncEnabled = true;
    setGlobalPause(true);
    scheduler.advance(60);
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 3);
    setGlobalPause(false);
    scheduler.advance(60);
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 4);

    // Once the store is gone its timer and observer do nothing.
    store.reset();
    scheduler.advance(120);
    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.calls("fetch blacklist_primary"), 4);
}

TEST_F(BlacklistStoreTest, PushSendsTheSortedSetWithThisMacsIdOnlyWhileSyncIsOn) {
    setDeviceID(QStringLiteral("MAC-1"));
    auto store = makeStore();
    store->setBlacklistedAppKeys({QStringLiteral("com.z"), QStringLiteral("com.a")});
    syncEnabled = false;
    store->pushToCloud();
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.saves("blacklist_"), 0);

    syncEnabled = true;
    scheduler.advance(5);
    store->pushToCloud();
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.saves("blacklist_"), 1);
    ASSERT_TRUE(cloud.blacklist().has_value());
    const NimbrelCloudBlacklistPayload sent = *cloud.blacklist();
    EXPECT_EQ(sent.blacklistedAppKeys, (QStringList{QStringLiteral("com.a"), QStringLiteral("com.z")}));
    EXPECT_EQ(sent.sourceDeviceID, QStringLiteral("MAC-1"));
    EXPECT_EQ(sent.updatedAt, scheduler.now());
    EXPECT_EQ(sent.schemaVersion, 1);
}

TEST_F(BlacklistStoreTest, PushWithoutADeviceIdSaysUnknownDevice) {
    auto store = makeStore();
    store->pushToCloud();
    scheduler.runUntilIdle();
    ASSERT_TRUE(cloud.blacklist().has_value());
    EXPECT_EQ(cloud.blacklist()->sourceDeviceID, QStringLiteral("unknown-device"));
}

TEST_F(BlacklistStoreTest, ScansOnceAndLaterStoresTakeTheCachedResult) {
    tree.makeApp(QStringLiteral("/Applications/Beta.app"), QStringLiteral("com.beta"));
    tree.makeApp(QStringLiteral("/Applications/Alpha.app"), QStringLiteral("com.alpha"));
    auto store = BlacklistStore::create(platform, links());
    EXPECT_TRUE(store->isLoadingApps().get());
    EXPECT_TRUE(store->installedApps().get().empty());
    store->reloadInstalledApps(); // already loading: nothing more
    scheduler.runUntilIdle();
    EXPECT_FALSE(store->isLoadingApps().get());
    ASSERT_EQ(store->installedApps().get().size(), 2u);
    EXPECT_EQ(store->installedApps().get()[0].name, QStringLiteral("Alpha"));
    EXPECT_EQ(workspace.iconRequests, 2);

    tree.makeApp(QStringLiteral("/Applications/Gamma.app"), QStringLiteral("com.gamma"));
    auto second = BlacklistStore::create(platform, links());
    EXPECT_FALSE(second->isLoadingApps().get());
    EXPECT_EQ(second->installedApps().get().size(), 2u);
    scheduler.runUntilIdle();
    EXPECT_EQ(workspace.iconRequests, 2);

    second->reloadInstalledApps();
    scheduler.runUntilIdle();
    EXPECT_EQ(second->installedApps().get().size(), 3u);
    EXPECT_EQ(BlacklistStore::cachedInstalledApps()->size(), 3u);
}

TEST_F(BlacklistStoreTest, AScanThatFindsNothingIsReportedAndCached) {
    auto store = BlacklistStore::create(platform, links());
    scheduler.runUntilIdle();
    EXPECT_FALSE(store->isLoadingApps().get());
    ASSERT_NE(last(QStringLiteral("App Scan Found Nothing")), nullptr);
    EXPECT_EQ(typeOf(QStringLiteral("App Scan Found Nothing")), QStringLiteral("error"));
    EXPECT_EQ(messageOf(QStringLiteral("App Scan Found Nothing")),
              QStringLiteral("Nimbrel could not find installed applications while loading the blacklist."));
    ASSERT_TRUE(BlacklistStore::cachedInstalledApps());
    EXPECT_TRUE(BlacklistStore::cachedInstalledApps()->empty());
}

TEST_F(BlacklistStoreTest, AScanRunsToTheEndEvenWhenTheStoreIsReleased) {
    tree.makeApp(QStringLiteral("/Applications/Solo.app"), QStringLiteral("com.solo"));
    BlacklistStore::create(platform, links()).reset();
    scheduler.runUntilIdle();
    ASSERT_TRUE(BlacklistStore::cachedInstalledApps());
    EXPECT_EQ(BlacklistStore::cachedInstalledApps()->size(), 1u);
}

} // namespace
} // namespace nimbrel
