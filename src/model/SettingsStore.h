#pragma once

#include "model/BehaviorMode.h"
#include "platform/Date.h"
#include "platform/Published.h"
#include "platform/Scheduler.h"
#include "sync/CloudKitAccountStatus.h"
#include "sync/CloudPayloads.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbrel {

struct Platform;
class UserDefaults;
class NimbrelUpdateManager;
class NimbrelCloudKitStatusProvider;
class NimbrelCloudSyncManager;

// The user's preferences, each kept in user defaults under "Nimbrel.settings.<name>", stamped
// when changed on this Mac and pushed to the cloud as one payload after a burst of changes.
class NimbrelSettingsStore {
  public:
    static inline const QString kKeyPrefix = QStringLiteral("Nimbrel.settings.");
    static inline const QString kLocalUpdatedAtKey = QStringLiteral("Nimbrel.settings.localSettingsUpdatedAt");
    // The stamp of the last change made while sync was off or paused, which is not sent then.
    static inline const QString kUnsentUpdatedAtKey = QStringLiteral("Nimbrel.settings.unsentSettingsUpdatedAt");
    static inline const QString kGlobalPauseKey = QStringLiteral("Nimbrel.globalPauseActive");
    static inline const QString designModeDidChangeNotification =
        QStringLiteral("Nimbrel.designModeDidChangeNotification");
    static constexpr double kPushDelay = 1.5;     // seconds after the last change of a burst
    static constexpr double kPullInterval = 60.0; // seconds

    NimbrelSettingsStore(Platform& platform, NimbrelUpdateManager& updates,
                         std::shared_ptr<NimbrelCloudKitStatusProvider> status, NimbrelCloudSyncManager& sync);
    ~NimbrelSettingsStore();
    NimbrelSettingsStore(const NimbrelSettingsStore&) = delete;
    NimbrelSettingsStore& operator=(const NimbrelSettingsStore&) = delete;

    static NimbrelSettingsStore& shared();

    // Published values; change them through the setters below, which run the change steps.
    const Published<bool>& syncEnabled() const { return syncEnabled_; }
    const Published<bool>& liquidGlassEnabled() const { return liquidGlassEnabled_; }
    const Published<bool>& automaticUpdatesEnabled() const { return automaticUpdatesEnabled_; }
    const Published<QString>& accountName() const { return accountName_; }
    const Published<QString>& iCloudStatusText() const { return iCloudStatusText_; }
    const Published<QString>& currentVersion() const { return currentVersion_; }
    const Published<QString>& lastUpdateCheckedText() const { return lastUpdateCheckedText_; }
    const Published<QString>& lastUpdateInstalledText() const { return lastUpdateInstalledText_; }
    const Published<NimbrelCloudKitAccountStatus>& iCloudStatus() const { return iCloudStatus_; }
    const Published<std::optional<QByteArray>>& customAccountImageData() const { return customAccountImageData_; }
    const Published<NimbrelBehaviorMode>& behaviorMode() const { return behaviorMode_; }
    const Published<bool>& minimizeAfterCycle() const { return minimizeAfterCycle_; }
    const Published<bool>& systemNotificationsEnabled() const { return systemNotificationsEnabled_; }

    void setSyncEnabled(bool on);
    void setLiquidGlassEnabled(bool on);
    void setAutomaticUpdatesEnabled(bool on);
    void setCustomAccountImageData(const std::optional<QByteArray>& data);
    void setBehaviorMode(NimbrelBehaviorMode mode);
    void setMinimizeAfterCycle(bool on);
    void setSystemNotificationsEnabled(bool on);

    bool isApplyingCloudSettingsPayload() const { return applyingPayload_; }
    bool hasPendingPush() const { return static_cast<bool>(pendingPush_); }

    // One push of all settings, kPushDelay after the last call; nothing while sync is off.
    void scheduleSettingsSync();
    // Fetches the cloud's settings and applies them; `done` runs when finished.
    void pullFromCloud(std::function<void()> done = {});
    void applyCloudSettingsPayload(const NimbrelCloudSettingsPayload& payload);
    // The payload the next push sends.
    NimbrelCloudSettingsPayload currentPayload() const;
    void checkForUpdatesNow();

    // Readers of the defaults alone, for every tap and every view; they never create the store.
    static NimbrelBehaviorMode currentBehaviorMode(const UserDefaults& defaults);
    static NimbrelBehaviorMode currentBehaviorMode();
    static bool currentMinimizeAfterCycle(const UserDefaults& defaults);
    static bool currentMinimizeAfterCycle();
    static bool isLiquidGlassActive(Platform& platform);
    static bool isLiquidGlassActive();

    static QString key(const QString& name) { return kKeyPrefix + name; }

  private:
    void readStartValues();
    void startCloudSyncTimer();
    void stamp();
    void persistBool(const QString& name, bool value);
    void applySyncEnabled(bool on);
    void applyLiquidGlass(bool on);
    void applyAutomaticUpdates(bool on);
    void writeAccountImage(const std::optional<QByteArray>& data);
    // Whether the cloud's picture is news here: not the one held, nor one already taken in.
    bool cloudPictureDiffers(const std::optional<QByteArray>& cloud) const;
    // Keeps the cloud's picture as at most the screen's PNG (scaled off the main thread) or
    // refuses what is no image; `tell` records the sync when the picture is all that changed.
    void takeCloudPicture(const std::optional<QByteArray>& cloud, Date stamp, bool tell);
    void afterChange();
    Date now() const;
    // When the settings were last changed here (or taken from the cloud).
    std::optional<Date> localStamp() const;

    Platform& platform_;
    NimbrelUpdateManager& updates_;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status_;
    NimbrelCloudSyncManager& sync_;

    Published<bool> syncEnabled_{true};
    Published<bool> liquidGlassEnabled_{true};
    Published<bool> automaticUpdatesEnabled_{true};
    Published<QString> accountName_;
    Published<QString> iCloudStatusText_;
    Published<QString> currentVersion_;
    Published<QString> lastUpdateCheckedText_;
    Published<QString> lastUpdateInstalledText_;
    Published<NimbrelCloudKitAccountStatus> iCloudStatus_;
    Published<std::optional<QByteArray>> customAccountImageData_;
    Published<NimbrelBehaviorMode> behaviorMode_{NimbrelBehaviorMode::automatic};
    Published<bool> minimizeAfterCycle_{true};
    Published<bool> systemNotificationsEnabled_{false};

    bool applyingPayload_ = false;
    // A digest of the last picture taken in from the cloud, so an unchanged one is not scaled
    // (or refused) again at every pull.
    QByteArray cloudPictureTaken_;
    bool initializing_ = true;
    WorkHandle pendingPush_;
    WorkHandle cloudSyncTimer_;
    ObserverToken statusObserver_;
    ObserverToken pauseObserver_;
    Lifetime lifetime_;
};

} // namespace nimbrel
