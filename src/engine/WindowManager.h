#pragma once

#include "activity/ActivityEntry.h"
#include "engine/AppActions.h"
#include "engine/AutomationAlert.h"
#include "engine/BrowserActions.h"
#include "engine/FinderWindows.h"
#include "engine/FolderActions.h"
#include "engine/RuleActionExecutor.h"
#include "engine/RuleActionRunner.h"
#include "engine/TerminalActions.h"
#include "engine/WindowLayouts.h"
#include "engine/WindowPlacement.h"
#include "model/RuleActions.h"
#include "platform/Accessibility.h"
#include "platform/Date.h"
#include "platform/Scheduler.h"
#include "platform/Workspace.h"

#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <vector>

namespace nimbrel {

struct Platform;
class Screens;
class FileSystem;
class Alerts;

// Carries out what a fired rule asks for: opens folders, applications and websites,
// places and arranges windows, and remembers the browser windows a rule opened as one
// group. It owns the state those actions share and hands each kind of work to a small
// part of its own; every delayed step is held weakly and does nothing once it is gone.
class WindowManager final : public RuleActionExecutor {
  public:
    explicit WindowManager(Platform& platform);
    ~WindowManager() override;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    static WindowManager& shared();

    // The entry for a matched rule's actions, in rule order.
    void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) override {
        executor_.executeRuleActions(actions);
    }
    void executeAction(const NimbrelRuleAction& action) { executor_.executeAction(action); }
    // A single click on a browser's Dock tile: true when a browser rule group took it.
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app) override {
        return browsers_.handleBrowserRuleGroupDockTap(app);
    }
    // The display choices of the rule editor.
    std::vector<NimbrelDisplayTarget> externalScreens() const { return placement_.externalScreens(); }

    // The browser automation notice: shown at most once per run.
    bool hasShownBrowserAutomationPermissionWarning = false;
    // Browser rule groups, per browser bundle identifier.
    std::map<QString, std::vector<AXElement>> browserRuleGroupsByBundleIdentifier;
    std::map<QString, QSet<QString>> browserGroupPreexistingWindowKeysByBundleIdentifier;
    std::map<QString, std::vector<OpenBrowserWebsiteRuleAction>> browserRuleGroupActionsByBundleIdentifier;
    std::map<QString, bool> browserRuleGroupIsMinimizedByBundleIdentifier;
    std::map<QString, bool> browserRuleGroupIsFocusedByBundleIdentifier;
    std::map<QString, Date> lastBrowserRuleGroupToggleDateByBundleIdentifier;
    double browserRuleGroupToggleCooldown = 1.35;

    // The parts, for each other and for tests.
    RuleActionRunner& executor() { return executor_; }
    AppActions& apps() { return apps_; }
    WindowPlacement& placement() { return placement_; }
    FinderWindows& finder() { return finder_; }
    FolderActions& folders() { return folders_; }
    WindowLayouts& layouts() { return layouts_; }
    BrowserActions& browsers() { return browsers_; }
    TerminalActions& terminal() { return terminal_; }
    AutomationAlert& automationAlert() { return automationAlert_; }

    // What the parts share.
    Platform& platform() const { return platform_; }
    Accessibility& ax() const;
    Workspace& workspace() const;
    const Screens& screens() const;
    Scheduler& scheduler() const;
    FileSystem& files() const;
    QString homeDirectory() const;
    // "~" and "~/x" under the home folder; any other text unchanged.
    QString expandTilde(const QString& path) const;
    // Prints "NimbrelWindowManager: <message>".
    void log(const QString& message) const;
    void record(NimbrelActivityType type, const QString& title, const QString& message) const;
    // Runs `step` on the main queue `delay` seconds from now, unless the window manager is gone by then.
    void after(double delay, std::function<void()> step) const;
    // Expires when the window manager is gone (for completions the platform calls back).
    std::weak_ptr<int> lifetimeWatch() const { return lifetime_.watch(); }

  private:
    Platform& platform_;
    Lifetime lifetime_;
    RuleActionRunner executor_{*this};
    AppActions apps_{*this};
    WindowPlacement placement_{*this};
    FinderWindows finder_{*this};
    FolderActions folders_{*this};
    WindowLayouts layouts_{*this};
    BrowserActions browsers_{*this};
    TerminalActions terminal_{*this};
    AutomationAlert automationAlert_{*this};
};

} // namespace nimbrel
