#include "engine/TerminalActions.h"

namespace nimbrel {

void TerminalActions::runTerminalScript(const TerminalScriptRuleAction&) {
    // NOT DONE YET: see the class comment.
}

} // namespace nimbrel
