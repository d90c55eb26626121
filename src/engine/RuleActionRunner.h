#pragma once

#include "model/RuleActions.h"

#include <vector>

namespace nimbrel {

class WindowManager;

// Runs the actions of one matched rule: a rule made only of websites opens them as one
// browser group, a rule with two or more folders as one folder group, and any other rule
// runs its actions one after the other.
class RuleActionRunner {
  public:
    explicit RuleActionRunner(WindowManager& wm) : wm_(wm) {}

    void executeRuleActions(const std::vector<NimbrelRuleAction>& actions);
    void executeAction(const NimbrelRuleAction& action);

  private:
    WindowManager& wm_;
};

} // namespace nimbrel
