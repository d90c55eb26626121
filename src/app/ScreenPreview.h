#pragma once

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

#include <QStringList>

#include <memory>

namespace nimbrel {

// The panel's screens over still data, for pictures and the QML tests: virtual time,
// in-memory defaults, two enabled rules and three sessions.
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
    VirtualScheduler& scheduler() { return scheduler_; }
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
};

} // namespace nimbrel
