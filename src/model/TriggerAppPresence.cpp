#include "model/AppCapabilities.h"
#include "model/Rule.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

namespace nimbrel {

bool NimbrelRule::isTriggerAppAvailable(const Workspace& workspace, const FileSystem& files) const {
    const NimbrelRuleAppTarget& app = trigger.app;
    if (app.bundleIdentifier && workspace.urlForApplication(*app.bundleIdentifier)) return true;
    if (app.path && files.exists(files.expandTilde(*app.path))) return true;
    // Finder is always there, even where the workspace does not list it.
    return app.bundleIdentifier == kFinderBundleIdentifier;
}

bool NimbrelRule::isTriggerAppAvailable() const {
    const Platform& platform = Platform::current();
    if (!platform.workspace || !platform.files) return trigger.app.bundleIdentifier == kFinderBundleIdentifier;
    return isTriggerAppAvailable(*platform.workspace, *platform.files);
}

} // namespace nimbrel
