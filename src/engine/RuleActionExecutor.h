#pragma once

#include "model/RuleActions.h"
#include "platform/Workspace.h"

#include <vector>

namespace nimbrel {

// What the tap decision hands to the window manager: a matched rule's actions, and a
// single click that may toggle a browser rule group the app already has open.
class RuleActionExecutor {
  public:
    virtual ~RuleActionExecutor() = default;
    // Starts the actions in rule order; returns without waiting for them.
    virtual void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) = 0;
    // True when the click toggled a browser rule group and so is taken.
    virtual bool handleBrowserRuleGroupDockTap(const RunningApplication& app) = 0;
};

} // namespace nimbrel
