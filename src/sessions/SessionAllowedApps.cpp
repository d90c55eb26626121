#include "sessions/SessionAllowedApps.h"

#include "model/StoreSyncLinks.h"
#include "platform/ProgramIdentity.h"
#include "platform/Workspace.h"
#include "sessions/Session.h"
#include "sessions/SessionPaths.h"

namespace nimbrel {

SessionAllowedApps::SessionAllowedApps(const NimbrelSession& session) : allowsEveryApp_(session.whitelistAllApps) {
    if (allowsEveryApp_) return;
    bundleIdentifiers_ = session.allowedBundleIdentifiers();
    paths_ = session.allowedPaths();
}

bool SessionAllowedApps::allows(const RunningApplication& app, const UserDefaults& defaults) const {
    if (isGlobalPauseActive(defaults)) return true;
    if (app.bundleIdentifier == kNimbrelBundleIdentifier) return true;
    if (allowsEveryApp_) return true;
    if (app.bundleIdentifier && bundleIdentifiers_.contains(app.bundleIdentifier->toLower())) return true;
    return app.bundlePath && paths_.contains(standardizedSessionPath(*app.bundlePath));
}

} // namespace nimbrel
