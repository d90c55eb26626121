#pragma once

#include "app/ShellSurface.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"

#include <QCoreApplication>
#include <QStringList>

#include <optional>
#include <vector>

namespace nimbrel::testing {

// Deleting what `deleteLater` hands over needs an application object: one for the whole run.
inline void deleteReleasedObjects() {
    static int argc = 1;
    static char name[] = "shell_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A platform over virtual time and in-memory defaults.
struct ShellPlatform {
    VirtualScheduler scheduler{Date::fromUnix(1'800'000'000)};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    Platform platform;
    ShellPlatform() {
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
    }
};

// Records what the delegate does to the status item and the panel.
class RecordingSurface : public ShellSurface {
  public:
    QStringList calls;
    std::optional<MenuBarIconImage> icon;
    bool statusGetsButton = true;
    std::optional<ScreenRect> button = ScreenRect{1200, 876, 28, 24};
    std::optional<ScreenRect> visible = ScreenRect{0, 70, 1440, 806};
    bool panelCreated = false;
    bool panelVisible = false;
    ScreenRect frame;
    std::optional<PanelMode> content;
    std::optional<int> exitStatus;

    void setDarkAppearance() override { calls << "dark"; }
    bool installStatusItem() override {
        calls << "installStatusItem";
        return statusGetsButton;
    }
    void setStatusIcon(const MenuBarIconImage& image) override {
        calls << "icon:" + image.name;
        icon = image;
    }
    void removeStatusItem() override { calls << "removeStatusItem"; }
    std::optional<ScreenRect> statusButtonFrame() const override { return button; }
    std::optional<ScreenRect> visibleFrameForStatusButton() const override { return visible; }
    void createPanel(const ScreenRect& f) override {
        calls << "createPanel";
        panelCreated = true;
        frame = f;
    }
    bool isPanelVisible() const override { return panelVisible; }
    ScreenRect panelFrame() const override { return frame; }
    void setPanelContent(PanelMode mode) override {
        calls << "content:" + panelModeName(mode);
        content = mode;
    }
    void setPanelFrame(const ScreenRect& f) override { frame = f; }
    void animatePanelFrame(const ScreenRect& f, double seconds) override {
        calls << QStringLiteral("animate:%1").arg(seconds);
        frame = f;
    }
    void orderPanelFront() override {
        calls << "front";
        panelVisible = true;
    }
    void orderPanelOut() override {
        calls << "out";
        panelVisible = false;
    }
    void closePanel() override { calls << "close"; }
    void terminate() override { calls << "terminate"; }
    void exitProcess(int status) override {
        calls << "exit";
        exitStatus = status;
    }
};

} // namespace nimbrel::testing
