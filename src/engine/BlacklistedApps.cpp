#include "engine/BlacklistedApps.h"

#include "engine/EngineState.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

BlacklistedApps::BlacklistedApps(UserDefaults& defaults)
    : defaults_(defaults), changes_(defaults.observe(EngineState::blacklistDefaultsKey, [this] { keys_.reset(); })) {}

bool BlacklistedApps::contains(const RunningApplication& app) {
    if (!keys_) {
        const QStringList list = defaults_.stringArrayValue(EngineState::blacklistDefaultsKey).value_or(QStringList());
        keys_.emplace(list.begin(), list.end());
    }
    if (keys_->isEmpty()) return false;
    if (app.bundleIdentifier && keys_->contains(*app.bundleIdentifier)) return true;
    return app.bundlePath && keys_->contains(*app.bundlePath);
}

} // namespace nimbrel
