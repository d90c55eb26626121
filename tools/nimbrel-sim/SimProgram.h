#pragma once

#include "app/ProgramParts.h"
#include "platform/Platform.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace nimbrel {
class MenuBarViewModel;
class OnboardingViewModel;
class PanelRootViewModel;
struct PauseMenuRow;
} // namespace nimbrel

namespace nimbrel::simtool {

// The program on the simulated Mac as `nimbrel` runs it, minus its display: one process at a
// time over the run's platform, with a scheduler of its own whose work ends with it. The panel's
// views are stood in for (its screens appear and go as the QML views make and drop them), and
// what the user would see of the status item and the panel is told as text.
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
    // What the user sees now; an empty text where nothing is shown.
    struct Seen {
        QString statusItem; // the icon and its colour
        QString panel;      // mode, screen and frame while the panel is on screen
        QString panelText;  // the shown screen's status texts (main menu or onboarding)
    };

    SimProgram(Platform& machine, Events events);
    // A process still running when the run ends goes without its clean-up.
    ~SimProgram();
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;

    bool isRunning() const { return process_ != nullptr; }
    // Starts a process; false when one runs already.
    bool launch();

    // What the user does. Each answers an empty text, or why it cannot be done now.
    QString quit();
    QString clickStatusItem();
    QString openScreen(const QString& name);
    QString back();
    // A row of the main menu's pause menu: a duration in seconds, or none for "Until I Resume".
    QString pause(std::optional<double> seconds);
    QString resume();
    QString turnOnboardingSwitchOn();
    QString openSettingsInstead();

    Seen seen() const;

  private:
    struct Process;
    void endSoon(int status);
    void end(int status, bool cleanUp);
    void contentChanged();
    void screenChanged(PanelRootViewModel& root);
    PanelRootViewModel* shownRoot() const;
    MenuBarViewModel* shownMenu() const;
    OnboardingViewModel* shownOnboarding() const;
    QString choosePauseRow(const std::function<bool(const PauseMenuRow&)>& matches, const QString& missing);

    Platform& machine_;
    Events events_;
    std::unique_ptr<Process> process_;
};

} // namespace nimbrel::simtool
