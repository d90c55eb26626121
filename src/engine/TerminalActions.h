#pragma once

#include "model/RuleActions.h"

#include <QString>

namespace nimbrel {

class WindowManager;

// The terminal script action: the commands go into a temporary bash file, and a terminal
// application is asked through AppleScript, off the main thread, to run it and delete it.
// The program never learns how the commands went; it reports whether the file could be
// written and whether the terminal took the script, and removes the file 30 s later.
class TerminalActions {
  public:
    static constexpr double kScriptFileLifetime = 30;

    explicit TerminalActions(WindowManager& wm) : wm_(wm) {}

    void runTerminalScript(const TerminalScriptRuleAction& action);

  private:
    void fail(const QString& message);

    WindowManager& wm_;
};

} // namespace nimbrel
