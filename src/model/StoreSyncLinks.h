#pragma once

#include <functional>

namespace nimbrel {

class NimbrelCloudSyncManager;
class UserDefaults;

// What a cloud-backed store needs of the rest of the program: the settings store's sync
// flag and the sync manager. The program wires both to their shared instances; tests hand
// in their own.
struct StoreSyncLinks {
    std::function<bool()> isSyncEnabled;
    std::function<NimbrelCloudSyncManager&()> syncManager;

    // The settings store's `syncEnabled` and the shared sync manager.
    static StoreSyncLinks shared();
};

// "Nimbrel.globalPauseActive", read afresh; a missing or wrong-typed value is false.
bool isGlobalPauseActive(const UserDefaults& defaults);

} // namespace nimbrel
