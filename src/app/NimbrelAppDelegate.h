#pragma once

#include "app/PanelGeometry.h"
#include "app/ShellHooks.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"

#include <QStringList>

#include <optional>

namespace nimbrel {

struct Platform;
class ShellSurface;

// The application delegate: start-up, the status item and panel it owns, the permission
// timer, and quitting. Free of any UI toolkit; it drives a `ShellSurface`.
class NimbrelAppDelegate {
  public:
    NimbrelAppDelegate(Platform& platform, ShellSurface& surface, ShellHooks hooks);
    ~NimbrelAppDelegate();
    NimbrelAppDelegate(const NimbrelAppDelegate&) = delete;
    NimbrelAppDelegate& operator=(const NimbrelAppDelegate&) = delete;

    void applicationDidFinishLaunching();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    void applicationWillTerminate();

    // The status button's action.
    void togglePanel();
    // A launch of the program while it runs (the Mac's reopen): the panel shows, in front.
    void handleReopen();
    void showPanel(PanelMode mode);
    void applyMenuBarIcon(const QString& name);
    void animatePanelHeight(double height);
    void checkAccessibilityPermission();

    // Reads one entitlement of the program's signature as a list of texts.
    QStringList entitlementValues(const QString& key) const;

    std::optional<PanelMode> currentPanelMode() const { return currentPanelMode_; }
    QString currentMenuBarIconName() const { return currentMenuBarIconName_; }
    bool hasStatusItem() const { return hasStatusItem_; }
    bool hasPanel() const { return hasPanel_; }
    bool isPermissionTimerRunning() const { return accessibilityPermissionTimer_ != nullptr; }

  private:
    void installStatusItem();
    void observeMenuBarIconChanges();
    void observeQuitRequests();
    void observePauseStateChanges();
    void observePanelHeightChanges();
    void observeAccessibilityGranted();
    void scheduleCloudBackedStoreBootstrap();
    void bootstrapCloudBackedStores();
    void startAccessibilityPermissionTimer();
    void handleAccessibilityGranted();
    void handlePanelHeightChange(const Notification& notification);
    void quitApplication();
    bool isTrusted() const;
    // The panel as the status button opens it: the menu, or the onboarding without the permission.
    void showPanelForUser();

    Platform& platform_;
    ShellSurface& surface_;
    ShellHooks hooks_;

    bool hasStatusItem_ = false;
    bool hasStatusButton_ = false;
    bool hasPanel_ = false;
    std::optional<PanelMode> currentPanelMode_;
    ObserverToken menuBarIconObserver_;
    ObserverToken quitObserver_;
    ObserverToken pauseStateObserver_;
    ObserverToken panelHeightObserver_;
    ObserverToken accessibilityGrantedObserver_;
    WorkHandle accessibilityPermissionTimer_;
    QString currentMenuBarIconName_;
    Lifetime lifetime_;
};

} // namespace nimbrel
