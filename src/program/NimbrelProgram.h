#pragma once

#include "app/AppShell.h"
#include "app/GlassStyle.h"
#include "app/HoverGeometry.h"
#include "desktop/DesktopViewModel.h"
#include "platform/Platform.h"

#include <QObject>

#include <functional>
#include <memory>

class QQmlApplicationEngine;
class QSystemTrayIcon;
class QQuickWindow;

namespace nimbrel {

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
    NimbrelProgram();
    ~NimbrelProgram() override;

    // Opens the desktop window and runs the delegate's start-up; false when QML failed.
    bool start();
    // What termination does before the event loop returns: the delegate's clean-up and the
    // simulated Mac's state saved for the next start.
    void willTerminate();

    // The desktop window (for pictures of it) and the simulated Mac's desktop.
    QQuickWindow* desktopWindow() const;
    DesktopViewModel& desktop() { return *desktop_; }
    ShellController& shell() { return app_->shell(); }
    // Calls `ready` once, after the first frame that shows the panel (start-up measurements).
    void onFirstPanelFrame(std::function<void()> ready);

  private:
    struct Facilities;
    void updateTrayIcon();

    std::unique_ptr<Facilities> facilities_;
    Platform platform_;
    Platform* previousPlatform_ = nullptr;
    std::unique_ptr<GlassStyle> glass_;
    std::unique_ptr<HoverGeometry> hover_;
    std::unique_ptr<DesktopViewModel> desktop_;
    std::unique_ptr<AppShell> app_;
    std::unique_ptr<QQmlApplicationEngine> qml_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool terminated_ = false;
};

} // namespace nimbrel
