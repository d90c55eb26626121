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
    // Asks the terminal to run the script file and delete it, on a worker thread; a failure
    // comes back to the main thread, and the file goes 30 s after the terminal answered (at
    // once when the script could not even be compiled, as nothing can run it then). The
    // path must be one that appleScriptSource() accepts.
    void runTerminalAppleScript(const QString& bundleIdentifier, const QString& scriptPath);

  private:
    // A path no escaping keeps inside a script string: the file goes at once.
    void refuseScriptPath(const QString& scriptPath);
    void fail(const QString& message);

    WindowManager& wm_;
};

} // namespace nimbrel
