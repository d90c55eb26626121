#pragma once

#include "model/CloudStoreLifecycle.h"
#include "model/InstalledApp.h"
#include "model/StoreSyncLinks.h"
#include "platform/Date.h"
#include "platform/Published.h"
#include "sync/CloudPendingChanges.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace nimbrel {

struct Platform;
struct NimbrelCloudBlacklistPayload;

// The applications whose Dock taps are left to the Dock, kept in user defaults and in step
// with the user's other Macs, and the installed applications the blacklist screen offers.
// A change by the screen goes: set `blacklistedAppKeys`, `save()`, then `pushToCloud()`
// unless `isApplyingCloudBlacklistPayload()`. The store never pushes on its own.
class BlacklistStore : public std::enable_shared_from_this<BlacklistStore> {
  public:
    static inline const QString defaultsKey = QStringLiteral("Nimbrel.blacklistedApplications");
    static inline const QString refreshTokenKey = QStringLiteral("Nimbrel.blacklistedApplications.refreshToken");
    // The date of a change made while sync was off or paused, which is never sent: a pull keeps it
    // over this Mac's own older copy (under the sync manager's blacklist push key).
    static inline const QString unsentChangesKey = QStringLiteral("Nimbrel.blacklist.unsentChanges");

    // Builds a store and runs its start-up: load the keys, take the cached scan or start
    // one, pull, then start the later pulls' triggers (CloudKit availability, every 60 s).
    static std::shared_ptr<BlacklistStore> create(Platform& platform, StoreSyncLinks links);
    static BlacklistStore& shared();
    static std::shared_ptr<BlacklistStore> sharedPtr();

    // Published values the blacklist screen observes.
    const Published<std::vector<InstalledApp>>& installedApps() const { return installedApps_; }
    const Published<std::set<QString>>& blacklistedAppKeys() const { return blacklistedAppKeys_; }
    const Published<bool>& isLoadingApps() const { return isLoadingApps_; }
    bool isApplyingCloudBlacklistPayload() const { return applyingCloudPayload_; }

    // The screen's change of the set; it then saves and pushes.
    void setBlacklistedAppKeys(std::set<QString> keys) { blacklistedAppKeys_.set(std::move(keys)); }

    void loadKeys();
    void save();
    void pushToCloud();
    // Both forms of the application's key: its bundle identifier and its bundle path. The caller saves.
    void removeKeys(const InstalledApp& app);
    // Calls `done` (later, on the main thread) when the pull has finished or was skipped.
    void pullFromCloud(std::function<void()> done = {});
    void applyCloudPayload(const NimbrelCloudBlacklistPayload& payload);
    // Starts a scan unless one is running; the result also goes to the process-wide cache.
    void reloadInstalledApps();

    // The keys in stored order: by Unicode scalar values after canonical normalization.
    static QStringList sortedKeys(const std::set<QString>& keys);

    // The scan result kept once for the whole process; a store made later takes it from here.
    static std::optional<std::vector<InstalledApp>> cachedInstalledApps();
    static void setCachedInstalledApps(std::vector<InstalledApp> apps);

  private:
    BlacklistStore(Platform& platform, StoreSyncLinks links);
    void start();
    void loadInstalledAppsTask();
    // The keys as they are now, as a change made at `changedAt`.
    NimbrelCloudBlacklistPayload payloadOfKeys(Date changedAt) const;
    bool isSyncAllowed() const;
    CloudPendingChanges unsentChanges() const;

    Platform& platform_;
    StoreSyncLinks links_;
    Published<std::vector<InstalledApp>> installedApps_;
    Published<std::set<QString>> blacklistedAppKeys_;
    Published<bool> isLoadingApps_{false};
    bool applyingCloudPayload_ = false;
    CloudStoreLifecycle cloudPulls_;
};

} // namespace nimbrel
