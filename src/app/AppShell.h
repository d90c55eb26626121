#pragma once

#include "app/GlobalPause.h"
#include "app/NimbrelAppDelegate.h"
#include "app/PanelContent.h"
#include "app/ProgramParts.h"
#include "app/ShellController.h"

#include <QObject>

#include <functional>
#include <memory>

namespace nimbrel {

struct Platform;

// The program without its display: the application delegate with the parts it starts, the
// global pause, and the status item and panel with their view models, wired over the
// installed platform. `nimbrel` draws it in its desktop window; nimbrel-sim prints it.
class AppShell {
  public:
    struct Hooks {
        // Asks the application to terminate; `exitProcess` ends the process outright.
        std::function<void()> terminate;
        std::function<void(int status)> exitProcess;
        // The system's permission prompt was asked for while the permission is missing.
        std::function<void()> trustPromptShown;
        // Makes the view model of a screen as it opens (none: the screen shows without one).
        std::function<std::unique_ptr<QObject>(NimbrelPanelScreen)> makeScreenModel;
        PartStarted partStarted;
    };

    AppShell(Platform& platform, Hooks hooks);
    ~AppShell();
    AppShell(const AppShell&) = delete;
    AppShell& operator=(const AppShell&) = delete;

    // Ends a pause that expired while the program was not running, then the delegate's start-up.
    void launch();
    // The delegate's clean-up as the application terminates.
    void willTerminate();

    ShellController& shell() { return *shell_; }
    NimbrelAppDelegate& delegate() { return *delegate_; }
    GlobalPauseController& pause() { return *pause_; }

  private:
    Platform& platform_;
    Hooks hooks_;
    // Destroyed last to first: the delegate before the shell and the parts it uses, the
    // panel's content (the shell's) before the pause it reads.
    std::unique_ptr<GlobalPauseController> pause_;
    PanelContentHooks contentHooks_;
    std::unique_ptr<ShellController> shell_;
    std::unique_ptr<ProgramParts> parts_;
    std::unique_ptr<NimbrelAppDelegate> delegate_;
};

} // namespace nimbrel
