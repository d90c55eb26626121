#pragma once

#include "model/RuleActions.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"

#include <QString>

#include <vector>

namespace nimbrel {

class WindowManager;

// The browser windows one rule opened as new windows, kept per browser and handled as one
// workspace: a single Dock click minimizes or restores them together, or swaps them with
// the browser's other windows; the rule firing again toggles them instead of reopening.
// The state lives in the window manager's browser-group fields.
class BrowserRuleGroups {
  public:
    explicit BrowserRuleGroups(WindowManager& wm) : wm_(wm) {}

    // Remembers the browser's windows that were not there before as the group of these
    // actions' new windows (at least two of them).
    void recordBrowserRuleGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    // A single click on an application's Dock tile: true when its group took the click.
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app);
    // The rule fired again while its group is open: true when the group was toggled.
    bool toggleExistingBrowserRuleGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions);

    // Minimizes or restores the group's windows together; always true.
    bool toggleBrowserRuleGroup(const QString& bundleIdentifier, const RunningApplication& app,
                                const std::vector<AXElement>& groupWindows,
                                const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    // Swaps the group with the browser's other titled windows; false when there are none.
    bool cycleBrowserRuleGroup(const QString& bundleIdentifier, const RunningApplication& app,
                               const std::vector<AXElement>& groupWindows, const std::vector<AXElement>& titledWindows,
                               const std::vector<OpenBrowserWebsiteRuleAction>& actions);

  private:
    void forget(const QString& bundleIdentifier);
    bool withinCooldown(const QString& bundleIdentifier) const;
    // Unminimizes the windows, re-places each one that has an action at 0.18 s and brings
    // the last one to the front at 0.28 s.
    void bringForward(const AXElement& appElement, const std::vector<AXElement>& windows,
                      const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    void setMinimized(const AXElement& window, bool minimized);

    WindowManager& wm_;
};

} // namespace nimbrel
