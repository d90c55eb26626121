#include "model/SettingsStore.h"

#include "activity/ActivityRecorder.h"
#include "model/AccountPictureFromCloud.h"
#include "model/UpdateManager.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"

#include <QCoreApplication>
#include <QCryptographicHash>

namespace nimbrel {

namespace {
const QString kComponent = QStringLiteral("NimbrelSettingsStore");

void recordSyncSwitch(Platform& platform, bool on) {
    if (on)
        recordNimbrelActivity(platform, NimbrelActivityType::info, QStringLiteral("Cloud Sync Enabled"),
                              QStringLiteral("Nimbrel will sync rules, sessions and blacklist."));
    else
        recordNimbrelActivity(platform, NimbrelActivityType::info, QStringLiteral("Cloud Sync Disabled"),
                              QStringLiteral("Nimbrel will stop syncing across devices."));
}
} // namespace

NimbrelSettingsStore::NimbrelSettingsStore(Platform& platform, NimbrelUpdateManager& updates,
                                           std::shared_ptr<NimbrelCloudKitStatusProvider> status,
                                           NimbrelCloudSyncManager& sync)
    : platform_(platform), updates_(updates), status_(std::move(status)), sync_(sync) {
    readStartValues();

    statusObserver_ = status_->status.observe([this](const NimbrelCloudKitAccountStatus& value) {
        iCloudStatus_.set(value);
        iCloudStatusText_.set(value.title());
    });
    // The global pause writes the sync setting itself; follow it, without stamping or pushing.
    if (platform_.notifications) {
        pauseObserver_ = platform_.notifications->addObserver(
            QStringLiteral("Nimbrel.pauseStateDidChange"), [this](const Notification&) {
                if (!platform_.defaults) return;
                const bool on = platform_.defaults->boolValue(key(QStringLiteral("syncEnabled"))).value_or(true);
                // A change made before the pause began still goes out: its push is sent now
                // rather than found switched off when its wait ends.
                if (!on && pendingPush_) {
                    pendingPush_->cancel();
                    pendingPush_.reset();
                    sync_.saveSettingsPayload(currentPayload());
                }
                syncEnabled_.set(on);
            });
    }
    sync_.addSyncNowStep(SyncNowSlot::settings, [guard = lifetime_.watch(), this](std::function<void()> done) {
        if (guard.expired()) {
            if (done) done();
            return;
        }
        pullFromCloud(std::move(done));
    });

    if (NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(platform_)) {
        status_->refresh();
        sync_.setSyncEnabled(syncEnabled_.get());
        recordSyncSwitch(platform_, syncEnabled_.get());
        sync_.bootstrap();
        if (platform_.scheduler) platform_.scheduler->post(lifetime_.guard([this] { pullFromCloud(); }));
        startCloudSyncTimer();
    } else {
        logLine(kComponent, QStringLiteral("CloudKit entitlements missing — skipping cloud bootstrap"));
    }
    initializing_ = false;
}

NimbrelSettingsStore::~NimbrelSettingsStore() {
    if (cloudSyncTimer_) cloudSyncTimer_->cancel();
}

NimbrelSettingsStore& NimbrelSettingsStore::shared() {
    return sharedInstance<NimbrelSettingsStore>([] {
        return std::make_shared<NimbrelSettingsStore>(Platform::current(), NimbrelUpdateManager::shared(),
                                                      NimbrelCloudKitStatusProvider::sharedPtr(),
                                                      NimbrelCloudSyncManager::shared());
    });
}

void NimbrelSettingsStore::readStartValues() {
    const UserDefaults* d = platform_.defaults;
    auto flag = [d](const char* name, bool fallback) {
        return d ? d->boolValue(key(QLatin1String(name))).value_or(fallback) : fallback;
    };
    auto text = [d](const char* name) { return d ? d->stringValue(key(QLatin1String(name))) : std::nullopt; };

    syncEnabled_.set(flag("syncEnabled", true));
    liquidGlassEnabled_.set(flag("liquidGlassEnabled", true));
    automaticUpdatesEnabled_.set(updates_.automaticChecksEnabled.get());
    const QString fullName = platform_.systemInfo ? platform_.systemInfo->userFullName() : QString();
    accountName_.set(text("accountName").value_or(fullName));
    iCloudStatus_.set(status_->status.get());
    iCloudStatusText_.set(status_->status.get().title());
    const QString version = QCoreApplication::applicationVersion();
    currentVersion_.set(version.isEmpty() ? QStringLiteral("1.0") : version);
    lastUpdateCheckedText_.set(text("lastUpdateCheckedText").value_or(QStringLiteral("Never")));
    lastUpdateInstalledText_.set(text("lastUpdateInstalledText").value_or(QStringLiteral("Unknown")));
    customAccountImageData_.set(d ? d->dataValue(key(QStringLiteral("customAccountImageData"))) : std::nullopt);
    behaviorMode_.set(d ? currentBehaviorMode(*d) : NimbrelBehaviorMode::automatic);
    minimizeAfterCycle_.set(flag("minimizeAfterCycle", true));
    systemNotificationsEnabled_.set(flag("systemNotificationsEnabled", false));
}

std::optional<Date> NimbrelSettingsStore::localStamp() const {
    return platform_.defaults ? platform_.defaults->dateValue(kLocalUpdatedAtKey) : std::nullopt;
}

Date NimbrelSettingsStore::now() const {
    return platform_.clock ? platform_.clock->now() : Date{};
}

void NimbrelSettingsStore::persistBool(const QString& name, bool value) {
    if (platform_.defaults) platform_.defaults->setBool(key(name), value);
}

void NimbrelSettingsStore::stamp() {
    if (initializing_ || applyingPayload_ || !platform_.defaults) return;
    platform_.defaults->setDate(kLocalUpdatedAtKey, now());
}

void NimbrelSettingsStore::afterChange() {
    if (!applyingPayload_) scheduleSettingsSync();
}

// The per-setting steps shared by local changes and applied payloads.
void NimbrelSettingsStore::applySyncEnabled(bool on) {
    syncEnabled_.set(on);
    persistBool(QStringLiteral("syncEnabled"), on);
    stamp();
    sync_.setSyncEnabled(on);
    recordSyncSwitch(platform_, on);
}

void NimbrelSettingsStore::applyLiquidGlass(bool on) {
    liquidGlassEnabled_.set(on);
    persistBool(QStringLiteral("liquidGlassEnabled"), on);
    stamp();
    if (platform_.notifications) platform_.notifications->post(designModeDidChangeNotification);
}

void NimbrelSettingsStore::applyAutomaticUpdates(bool on) {
    automaticUpdatesEnabled_.set(on);
    persistBool(QStringLiteral("automaticUpdatesEnabled"), on);
    updates_.setAutomaticChecksEnabled(on);
    stamp();
}

void NimbrelSettingsStore::writeAccountImage(const std::optional<QByteArray>& data) {
    customAccountImageData_.set(data);
    if (!platform_.defaults) return;
    if (data)
        platform_.defaults->setData(key(QStringLiteral("customAccountImageData")), *data);
    else
        platform_.defaults->remove(key(QStringLiteral("customAccountImageData")));
}

void NimbrelSettingsStore::setSyncEnabled(bool on) {
    applySyncEnabled(on);
    afterChange();
}

void NimbrelSettingsStore::setLiquidGlassEnabled(bool on) {
    applyLiquidGlass(on);
    afterChange();
}

void NimbrelSettingsStore::setAutomaticUpdatesEnabled(bool on) {
    applyAutomaticUpdates(on);
    afterChange();
}

void NimbrelSettingsStore::setCustomAccountImageData(const std::optional<QByteArray>& data) {
    writeAccountImage(data);
    stamp();
    afterChange();
}

void NimbrelSettingsStore::setBehaviorMode(NimbrelBehaviorMode mode) {
    behaviorMode_.set(mode);
    if (platform_.defaults) platform_.defaults->setString(key(QStringLiteral("behaviorMode")), rawValue(mode));
    stamp();
    afterChange();
}

void NimbrelSettingsStore::setMinimizeAfterCycle(bool on) {
    minimizeAfterCycle_.set(on);
    persistBool(QStringLiteral("minimizeAfterCycle"), on);
    stamp();
    afterChange();
}

void NimbrelSettingsStore::setSystemNotificationsEnabled(bool on) {
    systemNotificationsEnabled_.set(on);
    persistBool(QStringLiteral("systemNotificationsEnabled"), on);
    stamp();
    afterChange();
}

NimbrelCloudSettingsPayload NimbrelSettingsStore::currentPayload() const {
    NimbrelCloudSettingsPayload p;
    p.syncEnabled = syncEnabled_.get();
    p.liquidGlassEnabled = liquidGlassEnabled_.get();
    p.automaticUpdatesEnabled = automaticUpdatesEnabled_.get();
    p.customAccountImageData = customAccountImageData_.get();
    p.behaviorMode = rawValue(behaviorMode_.get());
    p.minimizeAfterCycle = minimizeAfterCycle_.get();
    p.systemNotificationsEnabled = systemNotificationsEnabled_.get();
    p.updatedAt = localStamp().value_or(now());
    p.sourceDeviceID = NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(platform_);
    p.schemaVersion = 1;
    return p;
}

void NimbrelSettingsStore::scheduleSettingsSync() {
    // A push already waiting is left to run: it reads the values when it fires.
    if (!syncEnabled_.get()) {
        if (platform_.defaults) platform_.defaults->setDate(kUnsentUpdatedAtKey, localStamp().value_or(now()));
        return;
    }
    if (!platform_.scheduler) return;
    // The change waits for the cloud from now on, so a quit before the burst ends does not lose it.
    sync_.markPendingPush(NimbrelCloudSyncManager::settingsPushKey, localStamp().value_or(now()));
    if (pendingPush_) pendingPush_->cancel();
    pendingPush_ = platform_.scheduler->after(kPushDelay, lifetime_.guard([this] {
        pendingPush_.reset();
        sync_.saveSettingsPayload(currentPayload());
    }));
}

void NimbrelSettingsStore::pullFromCloud(std::function<void()> done) {
    const bool paused = platform_.defaults && platform_.defaults->boolValue(kGlobalPauseKey).value_or(false);
    if (!syncEnabled_.get() || paused) {
        if (done) done();
        return;
    }
    // A change that did not reach the cloud goes out again, with the settings as they are now;
    // one still waiting for its burst to end goes by itself. A change made since while sync was off
    // or paused is never sent, and the waiting one gives way to it.
    if (!pendingPush_)
        sync_.retryPendingPush(NimbrelCloudSyncManager::settingsPushKey, [this](Date changedAt) {
            const auto madeWhileOff =
                platform_.defaults ? platform_.defaults->dateValue(kUnsentUpdatedAtKey) : std::nullopt;
            if (madeWhileOff && *madeWhileOff > changedAt) return false;
            sync_.saveSettingsPayload(currentPayload());
            return true;
        });
    sync_.fetchSettingsPayload([guard = lifetime_.watch(), this,
                                done = std::move(done)](std::optional<NimbrelCloudSettingsPayload> payload) {
        if (!guard.expired() && payload) {
            // The pause may have begun while the fetch was under way.
            const bool pausedNow = platform_.defaults && platform_.defaults->boolValue(kGlobalPauseKey).value_or(false);
            if (!pausedNow) applyCloudSettingsPayload(*payload);
        }
        if (done) done();
    });
}

void NimbrelSettingsStore::applyCloudSettingsPayload(const NimbrelCloudSettingsPayload& payload) {
    const std::optional<Date> local = localStamp();
    if (payload.updatedAt < local.value_or(Date::distantPast())) return; // the local settings are newer
    // A payload of the very moment of a change not sent is from before it.
    if (local && payload.updatedAt == *local && platform_.defaults->dateValue(kUnsentUpdatedAtKey) == local) return;

    // Only what actually differs is applied, so a payload equal to the local values (every
    // periodic pull of an unchanged cloud copy) changes nothing and reports nothing.
    const std::optional<NimbrelBehaviorMode> mode =
        payload.behaviorMode ? behaviorModeFromRaw(*payload.behaviorMode) : std::nullopt;
    const bool syncDiffers = payload.syncEnabled != syncEnabled_.get();
    const bool glassDiffers = payload.liquidGlassEnabled != liquidGlassEnabled_.get();
    const bool updatesDiffers = payload.automaticUpdatesEnabled != automaticUpdatesEnabled_.get();
    const bool imageDiffers = cloudPictureDiffers(payload.customAccountImageData);
    const bool modeDiffers = mode && *mode != behaviorMode_.get();
    const bool minimizeDiffers = payload.minimizeAfterCycle && *payload.minimizeAfterCycle != minimizeAfterCycle_.get();
    const bool notificationsDiffers =
        payload.systemNotificationsEnabled && *payload.systemNotificationsEnabled != systemNotificationsEnabled_.get();
    const bool othersDiffer =
        syncDiffers || glassDiffers || updatesDiffers || modeDiffers || minimizeDiffers || notificationsDiffers;
    if (imageDiffers) takeCloudPicture(payload.customAccountImageData, payload.updatedAt, !othersDiffer);
    if (!othersDiffer) return;

    applyingPayload_ = true;
    if (syncDiffers) applySyncEnabled(payload.syncEnabled);
    if (glassDiffers) applyLiquidGlass(payload.liquidGlassEnabled);
    if (updatesDiffers) applyAutomaticUpdates(payload.automaticUpdatesEnabled);
    if (modeDiffers) {
        behaviorMode_.set(*mode);
        if (platform_.defaults) platform_.defaults->setString(key(QStringLiteral("behaviorMode")), rawValue(*mode));
    }
    if (minimizeDiffers) {
        minimizeAfterCycle_.set(*payload.minimizeAfterCycle);
        persistBool(QStringLiteral("minimizeAfterCycle"), *payload.minimizeAfterCycle);
    }
    if (notificationsDiffers) {
        systemNotificationsEnabled_.set(*payload.systemNotificationsEnabled);
        persistBool(QStringLiteral("systemNotificationsEnabled"), *payload.systemNotificationsEnabled);
    }
    if (platform_.defaults) platform_.defaults->setDate(kLocalUpdatedAtKey, payload.updatedAt);
    applyingPayload_ = false;

    recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Settings Synced From iCloud"),
                          QStringLiteral("Nimbrel settings were updated from another device."));
}

bool NimbrelSettingsStore::cloudPictureDiffers(const std::optional<QByteArray>& cloud) const {
    if (cloud == customAccountImageData_.get()) return false;
    return !cloud || QCryptographicHash::hash(*cloud, QCryptographicHash::Sha256) != cloudPictureTaken_;
}

void NimbrelSettingsStore::takeCloudPicture(const std::optional<QByteArray>& cloud, Date stamp, bool tell) {
    auto keep = [this, stamp, tell](const std::optional<QByteArray>& picture) {
        if (picture == customAccountImageData_.get()) return;
        applyingPayload_ = true;
        writeAccountImage(picture);
        if (tell && platform_.defaults) platform_.defaults->setDate(kLocalUpdatedAtKey, stamp);
        applyingPayload_ = false;
        if (tell)
            recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Settings Synced From iCloud"),
                                  QStringLiteral("Nimbrel settings were updated from another device."));
    };
    auto refuse = [this] {
        logLine(kComponent,
                QStringLiteral("the account picture from iCloud is not an image; the picture here is kept"));
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Account Picture Refused"),
                              QStringLiteral("The account picture from iCloud is not an image, so the picture on this "
                                             "Mac was kept."));
    };
    if (!cloud) return keep(std::nullopt);
    cloudPictureTaken_ = QCryptographicHash::hash(*cloud, QCryptographicHash::Sha256);
    const AccountPictureScaler scaler = accountPictureScaler();
    if (!scaler || !platform_.scheduler) return isPngWithin(*cloud, kAccountPictureSide) ? keep(cloud) : refuse();
    // Decoding and scaling a large picture takes long: a worker does it, once per picture.
    auto scaled = std::make_shared<std::optional<QByteArray>>();
    platform_.scheduler->runInBackground([scaler, bytes = *cloud, scaled] { *scaled = scaler(bytes); },
                                         lifetime_.guard([this, scaled, stamp, keep, refuse] {
                                             // Changed here meanwhile: the newer choice stays.
                                             if (localStamp().value_or(Date::distantPast()) > stamp) return;
                                             if (*scaled)
                                                 keep(*scaled);
                                             else
                                                 refuse();
                                         }));
}

void NimbrelSettingsStore::startCloudSyncTimer() {
    if (cloudSyncTimer_) cloudSyncTimer_->cancel();
    if (!platform_.scheduler) return;
    cloudSyncTimer_ = platform_.scheduler->every(kPullInterval, lifetime_.guard([this] { pullFromCloud(); }));
}

void NimbrelSettingsStore::checkForUpdatesNow() {
    const Date moment = now();
    updates_.lastCheckDate.set(moment);
    updates_.statusText.set(NimbrelUpdateManager::kChecking);
    updates_.didReceiveDefinitiveResult = false;
    updates_.checkForUpdates();

    static const DateFormatter checkDateFormatter(DateStyle::Short, DateStyle::Short);
    const QString text = checkDateFormatter.string(moment);
    lastUpdateCheckedText_.set(text);
    if (platform_.defaults) platform_.defaults->setString(key(QStringLiteral("lastUpdateCheckedText")), text);
    recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Update Check Started"),
                          QStringLiteral("Nimbrel started checking for software updates."));
}

NimbrelBehaviorMode NimbrelSettingsStore::currentBehaviorMode(const UserDefaults& defaults) {
    const auto text = defaults.stringValue(key(QStringLiteral("behaviorMode")));
    return (text ? behaviorModeFromRaw(*text) : std::nullopt).value_or(NimbrelBehaviorMode::automatic);
}

NimbrelBehaviorMode NimbrelSettingsStore::currentBehaviorMode() {
    const Platform& p = Platform::current();
    return p.defaults ? currentBehaviorMode(*p.defaults) : NimbrelBehaviorMode::automatic;
}

bool NimbrelSettingsStore::currentMinimizeAfterCycle(const UserDefaults& defaults) {
    return defaults.boolValue(key(QStringLiteral("minimizeAfterCycle"))).value_or(true);
}

bool NimbrelSettingsStore::currentMinimizeAfterCycle() {
    const Platform& p = Platform::current();
    return p.defaults ? currentMinimizeAfterCycle(*p.defaults) : true;
}

bool NimbrelSettingsStore::isLiquidGlassActive(Platform& platform) {
    if (platform.defaults && platform.defaults->boolValue(key(QStringLiteral("liquidGlassEnabled"))) == false)
        return false;
    return platform.systemInfo && platform.systemInfo->operatingSystemVersion().majorVersion >= 26;
}

bool NimbrelSettingsStore::isLiquidGlassActive() {
    return isLiquidGlassActive(Platform::current());
}

} // namespace nimbrel
