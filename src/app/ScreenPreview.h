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
#include "ui/sessions/SessionsPreview.h"

#include <QSizeF>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QQuickItem;

namespace nimbrel {

// Fills a platform's Mac facilities (workspace, files, screens, alerts, ...) over its scheduler
// and clock; what it returns keeps them alive.
using PreviewMac = std::function<std::shared_ptr<void>(Platform&)>;

// The panel's screens over still data, for pictures and the QML tests: virtual time,
// in-memory defaults, two enabled rules and three sessions, the program's folders in a
// throw-away folder. Given a Mac, the preview is the current platform while it lives: the rules
// screen shows the rules of seedRulesPreview, the sessions screen the sessions of
// SessionsPreview, and the settings, activity and blacklist screens a week of activity, a
// blacklist and the account; without one those screens have no view model.
class ScreenPreview {
  public:
    explicit ScreenPreview(PreviewMac mac = {});
    ~ScreenPreview();

    // "onboarding", "main", "blacklist", "rules", "sessions", "activity", "settings", the
    // main menu for its pause menu: "pause-menu" and "paused-menu" (see openPauseMenu), and
    // the session editor's sections and libraries (see sessionEditorShots).
    static QStringList screenNames();
    // "session-schedule", "session-wallpaper", "session-symbol", "session-blocking",
    // "session-dock", "session-symbol-library", "session-whitelist-library": the first
    // session's editor at that section or library.
    static QStringList sessionEditorShots();
    // Takes the next step towards a picture once the panel is on screen (`panel` is its QML
    // item): opens the editor, then shows the section. False when nothing is left to do.
    bool arrange(const QString& screen, QQuickItem* panel, int step);
    // Shows the panel on `screen`; false for an unknown name.
    bool show(const QString& screen);
    // The picture's size: the panel with a margin, and room under it for a pause menu that
    // opens below the pause button.
    QSizeF pictureSize() const;

    QmlModels models();
    ShellController& shell() { return *shell_; }
    NotificationCenter& notifications() { return notifications_; }
    UserDefaults& defaults() { return defaults_; }
    VirtualScheduler& scheduler() { return scheduler_; }
    // The sessions screen's still data; none without a Mac.
    SessionsPreview* sessions() { return sessions_.get(); }
    GlobalPauseController& pause() { return *pause_; }
    // A fresh view model of the panel's content for a mode.
    std::unique_ptr<QObject> makeContent(PanelMode mode);
    // Where the panel's top-left lands in a picture of it.
    static constexpr double kMargin = 24;

  private:
    VirtualScheduler scheduler_{Date::fromUnix(1'800'000'000)};
    NotificationCenter notifications_;
    InMemoryUserDefaults defaults_;
    Platform platform_;
    std::unique_ptr<GlobalPauseController> pause_;
    PanelContentHooks contentHooks_;
    std::unique_ptr<ShellController> shell_;
    std::unique_ptr<GlassStyle> glass_;
    std::unique_ptr<HoverGeometry> hover_;
    QSizeF pictureSize_;
    QTemporaryDir programFolders_;
    Platform* previousPlatform_ = nullptr;
    std::shared_ptr<void> mac_;
    std::unique_ptr<SessionsPreview> sessions_;
};

// Opens the main menu's pause menu, after choosing "15 Minutes" in it when `paused`; false
// when the panel shows no main menu. Call it once the menu is on screen (its appearance
// closes the pause menu).
bool openPauseMenu(ShellController& shell, bool paused);

} // namespace nimbrel
