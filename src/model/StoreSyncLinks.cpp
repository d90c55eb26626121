#include "model/StoreSyncLinks.h"

#include "model/RuleSchedule.h"
#include "model/SettingsStore.h"
#include "platform/UserDefaults.h"
#include "sync/CloudSyncManager.h"

namespace nimbrel {

bool isGlobalPauseActive(const UserDefaults& defaults) {
    return defaults.boolValue(kGlobalPauseActiveKey).value_or(false);
}

StoreSyncLinks StoreSyncLinks::shared() {
    StoreSyncLinks links;
    links.isSyncEnabled = [] { return NimbrelSettingsStore::shared().syncEnabled().get(); };
    links.syncManager = []() -> NimbrelCloudSyncManager& { return NimbrelCloudSyncManager::shared(); };
    return links;
}

} // namespace nimbrel
