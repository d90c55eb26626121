#include "engine/WindowManager.h"

#include "model/ActivityRecorder.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

WindowManager::WindowManager(Platform& platform) : platform_(platform) {}

WindowManager& WindowManager::shared() {
    return sharedInstance<WindowManager>([] { return std::make_shared<WindowManager>(Platform::current()); });
}

void WindowManager::executeRuleActions(const std::vector<NimbrelRuleAction>& actions) {
    const size_t n = actions.size();
    if (n >= 2)
        recordNimbrelActivity(platform_, NimbrelActivityType::rule, QStringLiteral("Rule Group Triggered"),
                              QStringLiteral("Executed ") + QString::number(n) + QStringLiteral(" actions from one rule."));
    // Carrying out each action arrives with the window manager's own work.
}

bool WindowManager::handleBrowserRuleGroupDockTap(const RunningApplication&) {
    // No browser rule group is ever open until the window manager opens them.
    return false;
}

} // namespace nimbrel
