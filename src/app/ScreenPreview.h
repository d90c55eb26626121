#pragma once

#include "app/DesktopViewModel.h"
#include "app/GlassStyle.h"
#include "app/GlobalPause.h"
#include "app/HoverGeometry.h"
#include "app/PanelContent.h"
#include "app/QmlSetup.h"
#include "app/ShellController.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/rules/RulesPreview.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace nimbrel {

// The panel's screens over still data, for pictures and the QML tests: virtual time,
// in-memory defaults, two enabled rules and three sessions, and a default simulated Mac
// on a throw-away disk for the desktop.
class ScreenPreview {
  public:
    ScreenPreview();
    ~ScreenPreview();

    // "onboarding", "main", "blacklist", "rules", "sessions", "activity", "settings".
    static QStringList screenNames();
    // Shows the panel on `screen`; false for an unknown name.
    bool show(const QString& screen);

    QmlModels models();
    ShellController& shell() { return *shell_; }
    NotificationCenter& notifications() { return notifications_; }
    UserDefaults& defaults() { return defaults_; }
    DesktopViewModel& desktop() { return *desktop_; }
    VirtualScheduler& scheduler() { return scheduler_; }
    RulesPreview& rules() { return *rules_; }
    GlobalPauseController& pause() { return *pause_; }
    // A fresh view model of the panel's content for a mode.
    std::unique_ptr<QObject> makeContent(PanelMode mode);
    // Where the panel's top-left lands in a picture of it.
    static constexpr double kMargin = 24;

  private:
    VirtualScheduler scheduler_;
    NotificationCenter notifications_;
    InMemoryUserDefaults defaults_;
    Platform platform_;
    std::unique_ptr<GlobalPauseController> pause_;
    PanelContentHooks contentHooks_;
    std::unique_ptr<ShellController> shell_;
    std::unique_ptr<GlassStyle> glass_;
    std::unique_ptr<HoverGeometry> hover_;
    QTemporaryDir disk_;
    std::unique_ptr<sim::SimulatedPlatform> simulated_;
    std::unique_ptr<RulesPreview> rules_;
    std::unique_ptr<DesktopViewModel> desktop_;
};

} // namespace nimbrel
