#pragma once

#include "engine/BrowserGroupOpener.h"
#include "engine/BrowserRuleGroups.h"
#include "engine/WebsiteOpener.h"
#include "model/RuleActions.h"
#include "platform/Workspace.h"

#include <vector>

namespace nimbrel {

class WindowManager;

// Websites in browsers and browser rule groups: the window manager's entry points, handed
// to the part that does each job.
class BrowserActions {
  public:
    explicit BrowserActions(WindowManager& wm) : websites_(wm), groups_(wm), opener_(wm) {}

    // Every action of a rule is a website: they open together as one group.
    void executeBrowserGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
        opener_.executeBrowserGroup(actions);
    }
    // One website of a rule that also holds other actions.
    void openBrowserWebsite(const OpenBrowserWebsiteRuleAction& action) { websites_.openBrowserWebsite(action); }
    // A single click on a browser's tile: true when a recorded group took it.
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app) {
        return groups_.handleBrowserRuleGroupDockTap(app);
    }

    WebsiteOpener& websites() { return websites_; }
    BrowserRuleGroups& groups() { return groups_; }
    BrowserGroupOpener& opener() { return opener_; }

  private:
    WebsiteOpener websites_;
    BrowserRuleGroups groups_;
    BrowserGroupOpener opener_;
};

} // namespace nimbrel
