#pragma once

#include "app/ProgramParts.h"
#include "platform/Platform.h"

#include <QString>

#include <functional>
#include <memory>

namespace nimbrel {
class PanelRootViewModel;
class ShellController;
} // namespace nimbrel

namespace nimbrel::simtool {

// The program on the simulated Mac as `nimbrel` runs it, minus its display: one process at a
// time over the run's platform, with a scheduler of its own whose work ends with it. The panel's
// views are stood in for: its screens appear and go as the QML views make and drop them
// (PanelUser.h is what a user does with them).
class SimProgram {
  public:
    struct Events {
        // A launch begins: the process's platform is installed, nothing of the program runs yet.
        std::function<void(Platform&)> launching;
        // A part of the program started by the delegate, by name.
        PartStarted partStarted;
        // The process ended with this status.
        std::function<void(int status)> ended;
    };
    SimProgram(Platform& machine, Events events);
    // A process still running when the run ends goes without its clean-up.
    ~SimProgram();
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;

    bool isRunning() const { return process_ != nullptr; }
    // Asked to end: it ends on the loop's next turn.
    bool isEnding() const;
    // Starts a process; false when one runs already.
    bool launch();

    // What the main menu's Quit posts; an empty text, or why it cannot be done now.
    QString quit();
    // Ends the process at once, as SIGKILL would: no quit sequence, and nothing it still meant
    // to write reaches the disk. False when it is not running.
    bool kill();
    // The status item and the panel as the views see them; none while not running.
    ShellController* shell() const;
    // The running process's platform (its own scheduler); none while not running.
    Platform* platform() const;

  private:
    struct Process;
    void endSoon(int status);
    void end(int status, bool cleanUp);
    void contentChanged();
    void screenChanged(PanelRootViewModel& root);

    Platform& machine_;
    Events events_;
    std::unique_ptr<Process> process_;
};

} // namespace nimbrel::simtool
