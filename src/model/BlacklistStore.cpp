#include "model/BlacklistStore.h"

#include "activity/ActivityRecorder.h"
#include "model/InstalledAppScan.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "sync/CloudCopyOrder.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"

#include <algorithm>

namespace nimbrel {

namespace {

// The process-wide scan result; a shared instance so that tests start without one.
struct InstalledAppsCache {
    std::optional<std::vector<InstalledApp>> apps;
};

InstalledAppsCache& installedAppsCache() {
    return sharedInstance<InstalledAppsCache>([] { return std::make_shared<InstalledAppsCache>(); });
}

// Keys that differ only in how their accented letters are composed (a path read from one
// Mac's disk, the same path typed on another) name the same application.
std::set<QString> composedKeys(const std::set<QString>& keys) {
    std::set<QString> out;
    for (const QString& key : keys)
        out.insert(key.normalized(QString::NormalizationForm_C));
    return out;
}

} // namespace

std::optional<std::vector<InstalledApp>> BlacklistStore::cachedInstalledApps() {
    return installedAppsCache().apps;
}

void BlacklistStore::setCachedInstalledApps(std::vector<InstalledApp> apps) {
    installedAppsCache().apps = std::move(apps);
}

BlacklistStore::BlacklistStore(Platform& platform, StoreSyncLinks links)
    : platform_(platform), links_(std::move(links)) {}

std::shared_ptr<BlacklistStore> BlacklistStore::create(Platform& platform, StoreSyncLinks links) {
    std::shared_ptr<BlacklistStore> store(new BlacklistStore(platform, std::move(links)));
    store->start();
    return store;
}

std::shared_ptr<BlacklistStore> BlacklistStore::sharedPtr() {
    return sharedInstancePtr<BlacklistStore>([] { return create(Platform::current(), StoreSyncLinks::shared()); });
}

BlacklistStore& BlacklistStore::shared() {
    return *sharedPtr();
}

void BlacklistStore::start() {
    loadKeys();
    if (auto cached = cachedInstalledApps())
        installedApps_.set(std::move(*cached));
    else
        reloadInstalledApps();
    platform_.scheduler->post(weakly(shared_from_this(), [](BlacklistStore& store) { store.pullFromCloud(); }));
    // Its sync-now step is the rules store's, which makes this store when it does not exist yet.
    cloudPulls_.start<BlacklistStore>(
        shared_from_this(), platform_, [](BlacklistStore& store) { store.pullFromCloud(); },
        [](BlacklistStore& store, CloudStoreLifecycle::Done done) { store.pullFromCloud(std::move(done)); });
}

void BlacklistStore::loadKeys() {
    const std::optional<QStringList> stored = platform_.defaults->stringArrayValue(defaultsKey);
    std::set<QString> keys;
    if (stored)
        for (const QString& key : *stored)
            keys.insert(key);
    blacklistedAppKeys_.set(std::move(keys));
}

QStringList BlacklistStore::sortedKeys(const std::set<QString>& keys) {
    std::vector<std::pair<QList<uint>, QString>> decorated;
    decorated.reserve(keys.size());
    for (const QString& key : keys)
        decorated.emplace_back(key.normalized(QString::NormalizationForm_C).toUcs4(), key);
    std::stable_sort(decorated.begin(), decorated.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList out;
    out.reserve(static_cast<qsizetype>(decorated.size()));
    for (auto& [scalars, key] : decorated)
        out.append(key);
    return out;
}

void BlacklistStore::save() {
    const std::set<QString>& keys = blacklistedAppKeys_.get();
    UserDefaults& defaults = *platform_.defaults;
    defaults.setStringArray(defaultsKey, sortedKeys(keys));
    defaults.setString(refreshTokenKey, QString::number(keys.size()));
    if (!defaults.synchronize())
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Blacklist Save Warning"),
                              QStringLiteral("Nimbrel asked macOS to save the blacklist, but UserDefaults did not "
                                             "confirm synchronization."));
}

void BlacklistStore::pushToCloud() {
    const Date now = platform_.clock->now();
    // A change made while sync is off or paused is never sent, only noted; one sent needs no note.
    if (!isSyncAllowed()) return unsentChanges().add(NimbrelCloudSyncManager::blacklistPushKey, now);
    unsentChanges().remove(NimbrelCloudSyncManager::blacklistPushKey);
    // Handed in at once: the sync manager marks the change as waiting in the turn it is made, so a
    // quit before its push goes out does not lose it.
    links_.syncManager().saveBlacklistPayload(payloadOfKeys(now));
}

bool BlacklistStore::isSyncAllowed() const {
    return links_.isSyncEnabled() && !isGlobalPauseActive(*platform_.defaults);
}

CloudPendingChanges BlacklistStore::unsentChanges() const {
    return {*platform_.defaults, unsentChangesKey};
}

NimbrelCloudBlacklistPayload BlacklistStore::payloadOfKeys(Date changedAt) const {
    NimbrelCloudBlacklistPayload payload;
    payload.blacklistedAppKeys = sortedKeys(blacklistedAppKeys_.get());
    payload.updatedAt = changedAt;
    payload.sourceDeviceID = NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(platform_);
    payload.schemaVersion = 1;
    return payload;
}

void BlacklistStore::removeKeys(const InstalledApp& app) {
    std::set<QString> keys = blacklistedAppKeys_.get();
    keys.erase(app.id);
    keys.erase(app.url);
    if (app.bundleIdentifier) keys.erase(*app.bundleIdentifier);
    blacklistedAppKeys_.set(std::move(keys));
}

void BlacklistStore::pullFromCloud(std::function<void()> done) {
    auto finish = [scheduler = platform_.scheduler, done = std::move(done)] {
        if (done) scheduler->post(done);
    };
    // The global pause turns sync off for its duration, so nothing is pulled while it lasts.
    if (!isSyncAllowed()) return finish();
    // A change that did not reach the cloud goes out again as the list is now, dated by its mark,
    // so that a newer list from another Mac still wins over it; a change made since while sync
    // could not run is never sent, and the waiting one gives way to it.
    links_.syncManager().retryPendingPush(NimbrelCloudSyncManager::blacklistPushKey, [this](Date changedAt) {
        if (unsentChanges().dateOf(NimbrelCloudSyncManager::blacklistPushKey)) return false;
        links_.syncManager().saveBlacklistPayload(payloadOfKeys(changedAt));
        return true;
    });
    std::weak_ptr<BlacklistStore> weak = weak_from_this();
    links_.syncManager().fetchBlacklistPayload([weak, finish](std::optional<NimbrelCloudBlacklistPayload> payload) {
        if (auto store = weak.lock(); store && payload) store->applyCloudPayload(*payload);
        finish();
    });
}

void BlacklistStore::applyCloudPayload(const NimbrelCloudBlacklistPayload& payload) {
    // A change made here after this copy, and not in the cloud yet, is kept.
    const std::optional<Date> unsent = links_.syncManager().pendingPush(NimbrelCloudSyncManager::blacklistPushKey);
    if (unsent && *unsent > payload.updatedAt) return;
    std::set<QString> pulled(payload.blacklistedAppKeys.begin(), payload.blacklistedAppKeys.end());
    if (composedKeys(pulled) == composedKeys(blacklistedAppKeys_.get())) return;
    // So is one made while sync could not run, over an older copy and over this Mac's own copy of
    // its second, which is from before it; another Mac's copy of that second may be later, and
    // wins. A change that gave way can win nothing more.
    const CloudCopySource source = links_.syncManager().blacklistCopySource(payload);
    const auto madeWhileOff = unsentChanges().dateOf(NimbrelCloudSyncManager::blacklistPushKey);
    if (madeWhileOff &&
        !isNewerCloudCopy(payload.updatedAt, *madeWhileOff, [source] { return source != CloudCopySource::thisMac; }))
        return;
    unsentChanges().remove(NimbrelCloudSyncManager::blacklistPushKey);
    applyingCloudPayload_ = true;
    blacklistedAppKeys_.set(std::move(pulled));
    save();
    applyingCloudPayload_ = false;
    if (source != CloudCopySource::thisMac)
        recordNimbrelActivity(platform_, NimbrelActivityType::blacklist, QStringLiteral("Blacklist Synced From iCloud"),
                              source == CloudCopySource::anotherMac
                                  ? QStringLiteral("Blacklisted apps were updated from another device.")
                                  : QStringLiteral("Blacklisted apps were updated from iCloud."));
}

void BlacklistStore::reloadInstalledApps() {
    if (isLoadingApps_.get()) return;
    isLoadingApps_.set(true);
    // The scan holds the store until it has published its result.
    platform_.scheduler->post([self = shared_from_this()] { self->loadInstalledAppsTask(); });
}

void BlacklistStore::loadInstalledAppsTask() {
    std::vector<InstalledApp> apps =
        InstalledAppScan(*platform_.files, *platform_.workspace).scanInstalledApplications();
    if (apps.empty())
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("App Scan Found Nothing"),
                              QStringLiteral("Nimbrel could not find installed applications while loading the "
                                             "blacklist."));
    setCachedInstalledApps(apps);
    installedApps_.set(std::move(apps));
    isLoadingApps_.set(false);
}

} // namespace nimbrel
