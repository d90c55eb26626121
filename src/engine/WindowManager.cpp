#include "engine/WindowManager.h"

#include "platform/Platform.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

WindowManager::WindowManager(Platform& platform) : platform_(platform) {}

WindowManager& WindowManager::shared() {
    return sharedInstance<WindowManager>([] { return std::make_shared<WindowManager>(Platform::current()); });
}

void WindowManager::executeRuleActions(const std::vector<NimbrelRuleAction>& actions) {
    if (actions.empty()) return;
}

bool WindowManager::handleBrowserRuleGroupDockTap(const RunningApplication&) { return false; }

} // namespace nimbrel
