#pragma once

#include "model/RuleActions.h"

namespace nimbrel {

class WindowManager;

// The terminal script action.
//
// NOT DONE YET: writing the script file and sending it to the terminal arrive with the
// terminal work; until then the action does nothing and records nothing.
class TerminalActions {
public:
    explicit TerminalActions(WindowManager& wm) : wm_(wm) {}

    void runTerminalScript(const TerminalScriptRuleAction& action);

private:
    [[maybe_unused]] WindowManager& wm_;
};

} // namespace nimbrel
