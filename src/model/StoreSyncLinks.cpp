#include "model/StoreSyncLinks.h"

#include "model/RuleSchedule.h"
#include "model/SettingsStore.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"

namespace nimbrel {

bool isGlobalPauseActive(const UserDefaults& defaults) {
    return defaults.boolValue(kGlobalPauseActiveKey).value_or(false);
}

ObserverToken pullWhenCloudKitBecomesAvailable(NotificationCenter& notifications, Scheduler& scheduler,
                                               std::function<void()> pull) {
    return notifications.addObserver(
        kCloudKitBecameAvailableNotification,
        [&scheduler, pull = std::move(pull)](const Notification&) { scheduler.post(pull); });
}

StoreSyncLinks StoreSyncLinks::shared() {
    StoreSyncLinks links;
    links.isSyncEnabled = [] { return NimbrelSettingsStore::shared().syncEnabled().get(); };
    links.syncManager = []() -> NimbrelCloudSyncManager& { return NimbrelCloudSyncManager::shared(); };
    return links;
}

} // namespace nimbrel
