#include "model/SettingsStore.h"

#include "model/AccountPictureFromCloud.h"

#include "activity/ActivityRecorder.h"
#include "model/StorePlatform.h"
#include "model/UpdateManager.h"
#include "support/QtPrinters.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudProbe.h"
#include "sync/CloudSyncManager.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace nimbrel;
using nimbrel::testing::kStart;
using nimbrel::testing::StorePlatform;

namespace {

const QString kDesign = NimbrelSettingsStore::designModeDidChangeNotification;

class SettingsStoreTest : public ::testing::Test {
  protected:
    StorePlatform env;
    nimbrel::testing::CloudProbe cloud{env.cloud};
    std::unique_ptr<NimbrelUpdateManager> updates;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status;
    std::shared_ptr<NimbrelCloudSyncManager> sync;
    std::unique_ptr<NimbrelSettingsStore> store;

    NimbrelSettingsStore& make() {
        updates = std::make_unique<NimbrelUpdateManager>(env.platform);
        status = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);
        sync = std::make_shared<NimbrelCloudSyncManager>(env.platform, status);
        store = std::make_unique<NimbrelSettingsStore>(env.platform, *updates, status, *sync);
        return *store;
    }

    QStringList recordedTitles() const {
        QStringList titles;
        for (const auto& n : env.notifications.posted())
            if (n.name == kRecordActivityNotification) titles << n.userInfo.value("title").toString();
        return titles;
    }
    // The program gains its entitlements and a signed-in account after the store was made, so
    // that its pushes reach the cloud.
    void allowCloud() {
        env.entitleCloudKit();
        status->status.set(NimbrelCloudKitAccountStatus::available());
    }
    std::optional<Date> stamp() const { return env.defaults.dateValue(NimbrelSettingsStore::kLocalUpdatedAtKey); }
    QString key(const char* name) const { return NimbrelSettingsStore::key(QLatin1String(name)); }

    // A payload equal to the store's current values, dated `at`.
    NimbrelCloudSettingsPayload samePayload(Date at) const {
        auto p = store->currentPayload();
        p.updatedAt = at;
        return p;
    }
};

TEST_F(SettingsStoreTest, FreshDefaultsAndNoCloudWorkWithoutEntitlements) {
    auto& s = make();
    EXPECT_TRUE(s.syncEnabled().get());
    EXPECT_TRUE(s.liquidGlassEnabled().get());
    EXPECT_TRUE(s.automaticUpdatesEnabled().get());
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::automatic);
    EXPECT_TRUE(s.minimizeAfterCycle().get());
    EXPECT_FALSE(s.systemNotificationsEnabled().get());
    EXPECT_FALSE(s.customAccountImageData().get().has_value());
    EXPECT_EQ(s.lastUpdateCheckedText().get(), QStringLiteral("Never"));
    EXPECT_EQ(s.lastUpdateInstalledText().get(), QStringLiteral("Unknown"));
    EXPECT_EQ(s.accountName().get(), QStringLiteral("Anna Example"));
    EXPECT_EQ(s.iCloudStatusText().get(), QStringLiteral("Checking Apple servers…"));

    env.scheduler.advance(130);
    EXPECT_EQ(cloud.calls("fetch settings_primary"), 0) << "no pull and no timer without the entitlements";
    EXPECT_TRUE(env.cloud.calls().empty()) << "and no registration";
    EXPECT_TRUE(recordedTitles().isEmpty());
    EXPECT_FALSE(stamp().has_value()) << "reading start values is not a change";
}

// The version shown is the application's (the build's, set at start-up), else "1.0".
TEST_F(SettingsStoreTest, TheVersionIsTheApplicationsOrOnePointZero) {
    make();
    const QString before = QCoreApplication::applicationVersion();
    for (const char* version : {"2.5.1", ""}) {
        QCoreApplication::setApplicationVersion(QString::fromLatin1(version));
        const NimbrelSettingsStore fresh(env.platform, *updates, status, *sync);
        EXPECT_EQ(fresh.currentVersion().get(), *version ? QString::fromLatin1(version) : QStringLiteral("1.0"));
    }
    QCoreApplication::setApplicationVersion(before);
}

TEST_F(SettingsStoreTest, WrongTypedValuesReadAsDefaultsEverywhere) {
    env.defaults.setString(key("behaviorMode"), QStringLiteral("Cycling"));
    env.defaults.setString(key("minimizeAfterCycle"), QStringLiteral("false"));
    env.defaults.setInteger(key("syncEnabled"), 0);
    env.defaults.setString(key("systemNotificationsEnabled"), QStringLiteral("true"));
    env.defaults.setString(key("customAccountImageData"), QStringLiteral("picture"));
    env.defaults.setBool(key("accountName"), true);

    EXPECT_EQ(NimbrelSettingsStore::currentBehaviorMode(), NimbrelBehaviorMode::automatic);
    EXPECT_TRUE(NimbrelSettingsStore::currentMinimizeAfterCycle());
    EXPECT_FALSE(hasSharedInstance<NimbrelSettingsStore>()) << "the readers never create the store";

    auto& s = make();
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::automatic);
    EXPECT_TRUE(s.minimizeAfterCycle().get());
    EXPECT_TRUE(s.syncEnabled().get());
    EXPECT_FALSE(s.systemNotificationsEnabled().get());
    EXPECT_FALSE(s.customAccountImageData().get().has_value());
    EXPECT_EQ(s.accountName().get(), QStringLiteral("Anna Example"));
    // The wrong value stays stored until the setting changes.
    EXPECT_EQ(env.defaults.stringValue(key("behaviorMode")), std::optional<QString>("Cycling"));

    env.defaults.setString(key("behaviorMode"), QStringLiteral("cycling"));
    env.defaults.setBool(key("minimizeAfterCycle"), false);
    EXPECT_EQ(NimbrelSettingsStore::currentBehaviorMode(), NimbrelBehaviorMode::cycling);
    EXPECT_FALSE(NimbrelSettingsStore::currentMinimizeAfterCycle());
}

TEST_F(SettingsStoreTest, GlassLookNeedsTheSettingAndANewEnoughSystem) {
    env.systemInfo.os = {15, 4, 0};
    EXPECT_FALSE(NimbrelSettingsStore::isLiquidGlassActive());
    env.systemInfo.os = {26, 0, 0};
    EXPECT_TRUE(NimbrelSettingsStore::isLiquidGlassActive());
    env.defaults.setString(key("liquidGlassEnabled"), QStringLiteral("false"));
    EXPECT_TRUE(NimbrelSettingsStore::isLiquidGlassActive()) << "only the Boolean false switches it off";
    env.defaults.setBool(key("liquidGlassEnabled"), false);
    EXPECT_FALSE(NimbrelSettingsStore::isLiquidGlassActive());
    EXPECT_FALSE(hasSharedInstance<NimbrelSettingsStore>());
}

TEST_F(SettingsStoreTest, ChangesArePersistedStampedAndPushedOnceAfterABurst) {
    auto& s = make();
    allowCloud();
    s.setBehaviorMode(NimbrelBehaviorMode::restore);
    env.scheduler.advance(0.5);
    s.setMinimizeAfterCycle(false);
    env.scheduler.advance(0.5);
    s.setLiquidGlassEnabled(false);
    const Date lastChange = env.scheduler.now();
    EXPECT_EQ(env.postedCount(kDesign), 1u);

    env.scheduler.advance(1.4);
    EXPECT_EQ(cloud.saves("settings_"), 0);
    EXPECT_EQ(sync->pendingPush("settings"), lastChange) << "a quit before the push would not lose the change";
    s.setCustomAccountImageData(QByteArray("png"));
    env.scheduler.advance(1.5);
    EXPECT_EQ(cloud.saves("settings_"), 1);
    EXPECT_FALSE(sync->pendingPush("settings").has_value());
    ASSERT_TRUE(cloud.settings().has_value());
    const auto pushed = *cloud.settings();
    EXPECT_EQ(pushed.behaviorMode, std::optional<QString>("restore"));
    EXPECT_EQ(pushed.minimizeAfterCycle, std::optional<bool>(false));
    EXPECT_FALSE(pushed.liquidGlassEnabled);
    EXPECT_EQ(pushed.customAccountImageData, std::optional<QByteArray>("png"));
    EXPECT_EQ(pushed.systemNotificationsEnabled, std::optional<bool>(false));
    EXPECT_EQ(pushed.updatedAt, lastChange.addingSeconds(1.4));
    EXPECT_EQ(pushed.sourceDeviceID, QStringLiteral("unknown-device"));
    EXPECT_EQ(pushed.schemaVersion, 1);

    EXPECT_EQ(env.defaults.stringValue(key("behaviorMode")), std::optional<QString>("restore"));
    EXPECT_EQ(env.defaults.boolValue(key("minimizeAfterCycle")), std::optional<bool>(false));
    EXPECT_EQ(env.defaults.dataValue(key("customAccountImageData")), std::optional<QByteArray>("png"));
    s.setCustomAccountImageData(std::nullopt);
    EXPECT_FALSE(env.defaults.contains(key("customAccountImageData")));
}

TEST_F(SettingsStoreTest, PushCarriesTheStoredDeviceID) {
    env.keychain.add(QStringLiteral("com.nimbrel.device-identity"), QStringLiteral("primary-device-id"),
                     QByteArray("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), kKeychainAccessibleWhenUnlocked);
    auto& s = make();
    allowCloud();
    s.setSystemNotificationsEnabled(true);
    env.scheduler.advance(2);
    ASSERT_TRUE(cloud.settings().has_value());
    EXPECT_EQ(cloud.settings()->sourceDeviceID, QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
}

TEST_F(SettingsStoreTest, SwitchingSyncOffPushesNothingAndOnPushesEverything) {
    auto& s = make();
    allowCloud();
    s.setSyncEnabled(false);
    EXPECT_FALSE(sync->isSyncEnabled());
    s.setBehaviorMode(NimbrelBehaviorMode::cycling);
    env.scheduler.advance(5);
    EXPECT_EQ(cloud.saves("settings_"), 0);

    s.setSyncEnabled(true);
    EXPECT_TRUE(sync->isSyncEnabled());
    env.scheduler.advance(1.5);
    ASSERT_EQ(cloud.saves("settings_"), 1);
    EXPECT_EQ(cloud.settings()->behaviorMode, std::optional<QString>("cycling"));
    EXPECT_EQ(recordedTitles(), (QStringList{"Cloud Sync Disabled", "Cloud Sync Enabled"}));

    // A push already waiting when sync goes off reaches the sync manager, which sends nothing.
    s.setMinimizeAfterCycle(false);
    s.setSyncEnabled(false);
    env.scheduler.advance(2);
    EXPECT_EQ(cloud.saves("settings_"), 1);
}

TEST_F(SettingsStoreTest, AChangeJustBeforeAPauseStillGoesOut) {
    auto& s = make();
    allowCloud();
    s.setBehaviorMode(NimbrelBehaviorMode::cycling);
    env.scheduler.advance(1);
    // The pause switches the sync setting off before the change's push was due.
    env.defaults.setBool(key("syncEnabled"), false);
    env.notifications.post(QStringLiteral("Nimbrel.pauseStateDidChange"));
    sync->setSyncEnabled(false);
    env.scheduler.advance(5);
    ASSERT_TRUE(cloud.settings().has_value());
    EXPECT_EQ(cloud.settings()->behaviorMode, std::optional<QString>("cycling"));
    EXPECT_TRUE(cloud.settings()->syncEnabled) << "sent as it was before the pause";
    EXPECT_FALSE(s.syncEnabled().get());

    // A change the pause holds back is newer than the cloud's settings of the same moment.
    s.setBehaviorMode(NimbrelBehaviorMode::restore);
    auto sameMoment = samePayload(*stamp());
    sameMoment.behaviorMode = QStringLiteral("cycling");
    s.applyCloudSettingsPayload(sameMoment);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::restore);
}

// A push that failed goes out again at the next pull, unless the settings were changed since while
// paused: that change is never sent, and the failed push gives way to it.
TEST_F(SettingsStoreTest, AFailedPushGoesOutAgainUnlessASettingChangedSinceWhilePaused) {
    auto& s = make();
    allowCloud();
    auto pause = [&](bool on) {
        env.defaults.setBool(NimbrelSettingsStore::kGlobalPauseKey, on);
        env.defaults.setBool(key("syncEnabled"), !on);
        env.notifications.post(QStringLiteral("Nimbrel.pauseStateDidChange"));
        sync->setSyncEnabled(!on);
    };
    for (const bool changedWhilePaused : {false, true}) {
        env.cloud.failNext(
            {CloudFailure::Operation::save, "settings_primary", CloudError::make(CloudError::networkFailure, {})});
        s.setBehaviorMode(NimbrelBehaviorMode::cycling);
        env.scheduler.advance(2);
        pause(true);
        if (changedWhilePaused) s.setBehaviorMode(NimbrelBehaviorMode::restore);
        env.scheduler.advance(1);
        pause(false);
        const int saves = cloud.saves("settings_");
        s.pullFromCloud();
        env.scheduler.advance(1);
        EXPECT_EQ(cloud.saves("settings_") - saves, changedWhilePaused ? 0 : 1);
        EXPECT_FALSE(sync->pendingPush(NimbrelCloudSyncManager::settingsPushKey).has_value());
    }
}

TEST_F(SettingsStoreTest, AutomaticUpdatesGoThroughTheUpdateManager) {
    auto& s = make();
    s.setAutomaticUpdatesEnabled(false);
    EXPECT_FALSE(updates->automaticChecksEnabled.get());
    EXPECT_FALSE(env.updater.automaticallyChecksForUpdates());
    EXPECT_EQ(env.defaults.boolValue(NimbrelUpdateManager::automaticChecksKey), std::optional<bool>(false));
    EXPECT_EQ(stamp(), std::optional<Date>(kStart));
}

TEST_F(SettingsStoreTest, PayloadsEarlierThanTheStampLoseEqualAndLaterWin) {
    auto& s = make();
    allowCloud();
    s.setBehaviorMode(NimbrelBehaviorMode::restore); // stamped kStart
    env.scheduler.advance(2);
    const int savesBefore = cloud.saves("settings_");

    auto older = samePayload(kStart.addingSeconds(-1));
    older.behaviorMode = QStringLiteral("disabled");
    s.applyCloudSettingsPayload(older);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::restore);

    auto equal = samePayload(kStart);
    equal.behaviorMode = QStringLiteral("disabled");
    s.applyCloudSettingsPayload(equal);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::disabled);
    EXPECT_EQ(NimbrelSettingsStore::currentBehaviorMode(), NimbrelBehaviorMode::disabled);

    auto later = samePayload(kStart.addingSeconds(30));
    later.behaviorMode = QStringLiteral("cycling");
    s.applyCloudSettingsPayload(later);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::cycling);
    EXPECT_EQ(stamp(), std::optional<Date>(kStart.addingSeconds(30)));
    EXPECT_EQ(recordedTitles(), (QStringList{"Settings Synced From iCloud", "Settings Synced From iCloud"}));

    env.scheduler.advance(5);
    EXPECT_EQ(cloud.saves("settings_"), savesBefore) << "an applied payload is not pushed back";

    // A later local change is stamped now and wins over that payload.
    env.scheduler.advance(100);
    s.setBehaviorMode(NimbrelBehaviorMode::restore);
    s.applyCloudSettingsPayload(later);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::restore);
}

TEST_F(SettingsStoreTest, APayloadEqualToTheLocalValuesChangesNothing) {
    auto& s = make();
    const size_t designBefore = env.postedCount(kDesign);
    const size_t updaterWritesBefore = env.updater.automaticCheckWrites().size();

    auto same = samePayload(kStart.addingSeconds(60));
    same.behaviorMode.reset(); // no mode in the payload is no difference
    s.applyCloudSettingsPayload(same);

    EXPECT_TRUE(recordedTitles().isEmpty());
    EXPECT_EQ(env.postedCount(kDesign), designBefore);
    EXPECT_EQ(env.updater.automaticCheckWrites().size(), updaterWritesBefore);
    EXPECT_FALSE(stamp().has_value());
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::automatic);
}

TEST_F(SettingsStoreTest, OnlyTheSettingsThatDifferRunTheirSideEffects) {
    auto& s = make();
    s.setCustomAccountImageData(QByteArray("old"));
    const size_t updaterWritesBefore = env.updater.automaticCheckWrites().size();

    auto p = samePayload(kStart.addingSeconds(10));
    p.minimizeAfterCycle = false;
    p.customAccountImageData.reset();     // removes the local picture
    p.systemNotificationsEnabled.reset(); // absent: left alone
    s.applyCloudSettingsPayload(p);

    EXPECT_FALSE(s.minimizeAfterCycle().get());
    EXPECT_EQ(env.defaults.boolValue(key("minimizeAfterCycle")), std::optional<bool>(false));
    EXPECT_FALSE(s.customAccountImageData().get().has_value());
    EXPECT_FALSE(env.defaults.contains(key("customAccountImageData")));
    EXPECT_EQ(recordedTitles(), QStringList{"Settings Synced From iCloud"});
    EXPECT_EQ(env.postedCount(kDesign), 0u);
    EXPECT_EQ(env.updater.automaticCheckWrites().size(), updaterWritesBefore);

    // Sync and glass switched from the cloud run their own steps, once.
    auto q = samePayload(kStart.addingSeconds(20));
    q.syncEnabled = false;
    q.liquidGlassEnabled = false;
    s.applyCloudSettingsPayload(q);
    EXPECT_FALSE(sync->isSyncEnabled());
    EXPECT_EQ(env.postedCount(kDesign), 1u);
    EXPECT_EQ(recordedTitles(),
              (QStringList{"Settings Synced From iCloud", "Cloud Sync Disabled", "Settings Synced From iCloud"}));
    EXPECT_FALSE(s.isApplyingCloudSettingsPayload());
}

TEST_F(SettingsStoreTest, ACloudPictureIsKeptAtMostAsTheScreensPictureAndTakenInOnce) {
    // The start of a PNG: its signature and header chunk, 256 and 4000 pixels square.
    const QByteArray small = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000001000000010008");
    const QByteArray large = QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000fa000000fa008");
    int scaled = 0;
    const AccountPictureScaler scaler = [&scaled](const QByteArray& bytes) -> std::optional<QByteArray> {
        ++scaled;
        if (!bytes.startsWith("\x89PNG")) return std::nullopt;
        return isPngWithin(bytes, kAccountPictureSide) ? bytes : QByteArray("scaled");
    };
    const QByteArray held("held");
    struct Case {
        const char* name;
        bool withScaler;
        QByteArray cloud;
        QByteArray kept;
        int scaled;
        const char* recorded;
    };
    const Case cases[] = {
        {"a small PNG", false, small, small, 0, "Settings Synced From iCloud"},
        {"a large PNG without a scaler", false, large, held, 0, "Account Picture Refused"},
        {"a large PNG", true, large, "scaled", 1, "Settings Synced From iCloud"},
        {"no image", true, "<html>", held, 1, "Account Picture Refused"},
    };
    for (const Case& c : cases) {
        auto& s = make();
        s.setCustomAccountImageData(held);
        setAccountPictureScaler(c.withScaler ? scaler : AccountPictureScaler());
        scaled = 0;
        const qsizetype before = recordedTitles().size();
        for (int pull = 0; pull < 3; ++pull) {
            auto p = samePayload(env.scheduler.now().addingSeconds(10));
            p.customAccountImageData = c.cloud;
            s.applyCloudSettingsPayload(p);
            env.scheduler.advance(60);
        }
        EXPECT_EQ(s.customAccountImageData().get(), c.kept) << c.name;
        EXPECT_EQ(scaled, c.scaled) << c.name << ": scaled once, not at every pull";
        const QStringList recorded = recordedTitles().mid(before);
        EXPECT_EQ(recorded.filter(QRegularExpression("From iCloud|Refused")), QStringList{c.recorded}) << c.name;
    }
    setAccountPictureScaler({});
}

TEST_F(SettingsStoreTest, EntitledStoreBootstrapsPullsEveryMinuteAndNotWhilePaused) {
    env.entitleCloudKit();
    auto remote = NimbrelCloudSettingsPayload{};
    remote.updatedAt = kStart.addingSeconds(-10);
    remote.behaviorMode = QStringLiteral("cycling");
    cloud.putSettings(remote);

    auto& s = make();
    EXPECT_TRUE(sync->isSyncEnabled());
    // The account's answer comes later; the settings screen follows it.
    EXPECT_EQ(s.iCloudStatusText().get(), QStringLiteral("Checking Apple servers…"));
    EXPECT_EQ(recordedTitles(), (QStringList{"Cloud Sync Enabled"}));

    env.scheduler.runUntilIdle();
    EXPECT_EQ(s.iCloudStatusText().get(), QStringLiteral("Connected to Apple"));
    EXPECT_EQ(cloud.listed("deviceIDs", "device_registry").size(), 1) << "the bootstrap registered this Mac";
    EXPECT_EQ(cloud.calls("fetch settings_primary"), 1);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::cycling) << "no local stamp: the cloud wins";

    env.scheduler.advance(60);
    EXPECT_EQ(cloud.calls("fetch settings_primary"), 2);
    EXPECT_EQ(recordedTitles().count("Settings Synced From iCloud"), 1) << "an unchanged cloud copy is quiet";

    env.defaults.setBool(NimbrelSettingsStore::kGlobalPauseKey, true);
    remote.behaviorMode = QStringLiteral("disabled");
    remote.updatedAt = kStart.addingSeconds(500);
    cloud.putSettings(remote);
    env.scheduler.advance(60);
    EXPECT_EQ(cloud.calls("fetch settings_primary"), 2);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::cycling);

    // The activity screen's sync runs the settings pull.
    env.defaults.setBool(NimbrelSettingsStore::kGlobalPauseKey, false);
    bool finished = false;
    sync->syncNow([&] { finished = true; });
    env.scheduler.runUntilIdle();
    EXPECT_TRUE(finished);
    EXPECT_EQ(s.behaviorMode().get(), NimbrelBehaviorMode::disabled);
}

TEST_F(SettingsStoreTest, StatusFollowsTheProvider) {
    auto& s = make();
    status->status.set(NimbrelCloudKitAccountStatus::noAccount());
    EXPECT_EQ(s.iCloudStatus().get(), NimbrelCloudKitAccountStatus::noAccount());
    EXPECT_EQ(s.iCloudStatusText().get(), QStringLiteral("No Apple Account"));
}

TEST_F(SettingsStoreTest, CheckForUpdatesNow) {
    setCurrentLocaleName("en_US");
    auto& s = make();
    s.checkForUpdatesNow();
    EXPECT_EQ(updates->lastCheckDate.get(), std::optional<Date>(kStart));
    EXPECT_EQ(updates->statusText.get(), QStringLiteral("Checking"));
    EXPECT_EQ(env.updater.checkCount(), 1);
    EXPECT_EQ(s.lastUpdateCheckedText().get(), QStringLiteral("3/10/26, 12:00 PM"));
    EXPECT_EQ(env.defaults.stringValue(key("lastUpdateCheckedText")), std::optional<QString>("3/10/26, 12:00 PM"));
    EXPECT_EQ(recordedTitles(), QStringList{"Update Check Started"});

    env.scheduler.runUntilIdle(); // the scripted framework answers: no update
    EXPECT_EQ(updates->statusText.get(), QStringLiteral("Up to Date"));
    setCurrentLocaleName({});
}

} // namespace
