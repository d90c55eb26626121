#pragma once

#include "app/AppShell.h"
#include "app/GlassStyle.h"
#include "app/HoverGeometry.h"
#include "desktop/DesktopViewModel.h"
#include "platform/Platform.h"
#include "program/ProgramFacilities.h"

#include <QObject>

#include <functional>
#include <memory>

class QQmlApplicationEngine;
class QQuickWindow;

namespace nimbrel {

class TerminationSignals;
class TrayIcon;

namespace sim {
class SimulatedMac;
}

// The running program on this machine, and the one place that knows both the shell and the
// desktop that hosts it: the platform over the event loop and the simulated Mac, the
// application delegate with its status item and panel, and the simulated Mac's desktop window
// that shows them.
class NimbrelProgram : public QObject {
    Q_OBJECT
  public:
    // What shows the shell: the simulated Mac's whole desktop, or only the panel in a window of
    // its own (start-up and memory measurements of the program without the desktop's scene).
    enum class Host { desktop, panelOnly };

    // Over the program's folders on this machine (which a running program's guard holds).
    explicit NimbrelProgram(Host host = Host::desktop, Locations locations = Locations::forThisMachine());
    ~NimbrelProgram() override;

    // Opens the host's window and runs the delegate's start-up; false when QML failed.
    bool start();
    // What termination does once the event loop has returned: the delegate's clean-up, the
    // end of background work, and the preferences, the activity history and the simulated
    // Mac's state written for the next start.
    void willTerminate();

    // The host's window (for pictures of it) and the simulated Mac's desktop (none when only
    // the panel is shown).
    QQuickWindow* desktopWindow() const;
    DesktopViewModel& desktop() { return *desktop_; }
    ShellController& shell() { return app_->shell(); }
    // Calls `ready` once, after the first frame that shows the panel (start-up measurements).
    void onFirstPanelFrame(std::function<void()> ready);
    // The same quit as the panel's Quit row.
    void quit();
    // What a launch of the program while it runs does: its panel opens.
    void reopen();

  private:
    void updateTrayIcon();
    // SIGINT, SIGTERM and SIGHUP: everything written at once, then the panel's Quit.
    void handleSignal(int number);

    Host host_;
    std::unique_ptr<ProgramFacilities> facilities_;
    Platform& platform_;
    Platform* previousPlatform_ = nullptr;
    std::unique_ptr<GlassStyle> glass_;
    std::unique_ptr<HoverGeometry> hover_;
    std::unique_ptr<DesktopViewModel> desktop_;
    std::unique_ptr<AppShell> app_;
    std::unique_ptr<QQmlApplicationEngine> qml_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<TerminationSignals> signals_;
    bool terminated_ = false;
};

} // namespace nimbrel
