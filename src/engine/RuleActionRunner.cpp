#include "engine/RuleActionRunner.h"

#include "engine/WindowManager.h"

namespace nimbrel {

void RuleActionRunner::executeRuleActions(const std::vector<NimbrelRuleAction>& actions) {
    const size_t n = actions.size();
    if (n >= 2)
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Rule Group Triggered"),
                   QStringLiteral("Executed %1 actions from one rule.").arg(n));
    if (n == 0) return;

    std::vector<OpenBrowserWebsiteRuleAction> websites;
    std::vector<OpenFolderRuleAction> folders;
    for (const NimbrelRuleAction& action : actions) {
        if (auto website = action.as<OpenBrowserWebsiteRuleAction>()) websites.push_back(*website);
        if (auto folder = action.as<OpenFolderRuleAction>()) folders.push_back(*folder);
    }
    if (websites.size() == n) {
        wm_.browsers().executeBrowserGroup(websites);
        return;
    }
    if (folders.size() >= 2) {
        wm_.folders().executeFolderGroup(folders);
        return;
    }
    for (const NimbrelRuleAction& action : actions)
        executeAction(action);
}

void RuleActionRunner::executeAction(const NimbrelRuleAction& action) {
    if (auto folder = action.as<OpenFolderRuleAction>()) {
        wm_.folders().openOrFocusFolder(folder->folder, folder->placement, folder->displayTarget, true);
    } else if (auto app = action.as<OpenAppRuleAction>()) {
        wm_.apps().openApp(app->app, app->placement, app->displayTarget);
    } else if (auto website = action.as<OpenBrowserWebsiteRuleAction>()) {
        wm_.browsers().openBrowserWebsite(*website);
    } else if (auto arrange = action.as<ArrangeWindowsRuleAction>()) {
        wm_.layouts().arrangeWindows(*arrange);
    } else if (action.as<SystemBehaviorRuleAction>()) {
        // The Dock's own behaviour runs anyway; the rule only says so.
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Rule Used System Behavior"),
                   QStringLiteral("Nimbrel allowed the default Dock behavior to run."));
    } else if (auto script = action.as<TerminalScriptRuleAction>()) {
        wm_.terminal().runTerminalScript(*script);
    }
}

} // namespace nimbrel
