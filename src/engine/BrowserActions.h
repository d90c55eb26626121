#pragma once

#include "model/RuleActions.h"
#include "platform/Workspace.h"

#include <vector>

namespace nimbrel {

class WindowManager;

// Websites in browsers and browser rule groups.
//
// NOT DONE YET: scripting the browsers (the AppleScript templates, capturing the new
// windows and recording them as a group, toggling and cycling a group from the Dock)
// arrives with the browser work. Until then these entry points log and record what a
// real run records and open nothing, and no group is ever recorded, so a Dock click is
// never taken by a group.
class BrowserActions {
public:
    explicit BrowserActions(WindowManager& wm) : wm_(wm) {}

    // Every action of a rule is a website: they open together as one group.
    void executeBrowserGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    // One website of a rule that also holds other actions.
    void openBrowserWebsite(const OpenBrowserWebsiteRuleAction& action);
    // A single click on a browser's tile: true when a recorded group took it.
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app);

private:
    WindowManager& wm_;
};

} // namespace nimbrel
