#pragma once

#include "app/GlobalPause.h"
#include "platform/Date.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QVariantList>

#include <functional>

namespace nimbrel {

struct Platform;

QString ignoredAppsSubtitle(int count);

// The main menu screen: status and Accessibility pills, the sync indicator, the blacklist
// card's subtitle, the pause button and its menu, Permissions and Quit. Its state starts
// afresh at each appearance; its one-second tick refreshes what it shows and ends a timed pause
// whose end has passed (the pause controller also ends it on its own, with no screen open).
class MenuBarViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString statusTitle READ statusTitle NOTIFY changed)
    Q_PROPERTY(bool isPaused READ isPaused NOTIFY changed)
    Q_PROPERTY(bool isAccessibilityTrusted READ isAccessibilityTrusted NOTIFY changed)
    Q_PROPERTY(QString accessibilityTitle READ accessibilityTitle NOTIFY changed)
    Q_PROPERTY(QString accessibilitySymbol READ accessibilitySymbol NOTIFY changed)
    Q_PROPERTY(bool isCloudSyncing READ isCloudSyncing NOTIFY changed)
    Q_PROPERTY(QString ignoredAppsSubtitle READ ignoredAppsSubtitleText NOTIFY changed)
    Q_PROPERTY(QString pauseButtonTitle READ pauseButtonTitle NOTIFY changed)
    Q_PROPERTY(QString pauseButtonSymbol READ pauseButtonSymbol NOTIFY changed)
    Q_PROPERTY(bool showingPauseMenu READ showingPauseMenu NOTIFY changed)
    Q_PROPERTY(QVariantList pauseMenuRows READ pauseMenuRowsList NOTIFY changed)
  public:
    struct Hooks {
        std::function<bool()> isProcessTrusted;
        // Opens System Settings' Accessibility page.
        std::function<void()> openAccessibilitySettings;
        // The sync manager's state: syncing now, and a subscription to changes of it.
        std::function<bool()> isSyncing;
        std::function<ObserverToken(std::function<void(bool)>)> observeSyncing;
    };

    MenuBarViewModel(Platform& platform, GlobalPauseController& pause, Hooks hooks, QObject* parent = nullptr);
    ~MenuBarViewModel() override;

    QString statusTitle() const { return pause_.statusTitle(now_); }
    bool isPaused() const { return pause_.isPaused(now_); }
    bool isAccessibilityTrusted() const { return trusted_; }
    QString accessibilityTitle() const { return trusted_ ? "Accessibility On" : "Accessibility Off"; }
    QString accessibilitySymbol() const { return trusted_ ? "lock.open.fill" : "lock.fill"; }
    bool isCloudSyncing() const { return syncing_; }
    QString ignoredAppsSubtitleText() const;
    QString pauseButtonTitle() const { return isPaused() ? "Resume Nimbrel" : "Pause Nimbrel"; }
    QString pauseButtonSymbol() const { return isPaused() ? "play.fill" : "pause.fill"; }
    bool showingPauseMenu() const { return showingPauseMenu_; }
    QVariantList pauseMenuRowsList() const;
    Date now() const { return now_; }

    // The screen is shown: fresh state, the tick and the sync observation (0.35 s later).
    Q_INVOKABLE void appeared();
    // The screen is gone: the tick and the observation stop, the indicator clears. A screen
    // that slides out while its successor is already shown leaves them running.
    Q_INVOKABLE void disappeared();
    Q_INVOKABLE void togglePauseMenu();
    // A pause menu row: closes the menu first.
    Q_INVOKABLE void choosePauseRow(int index);
    // Permissions: opens the settings page and reads the permission again 1.0 s later.
    Q_INVOKABLE void openPermissions();
    // Cards, the gear and Quit: one of the shell's notices.
    Q_INVOKABLE void postPanelNotification(const QString& name);
    // Where the pause menu of `size` opens by the pause button, inside `area` (all from the same
    // top-left): x, y, width, height, arrowOnTop, arrowX and scrolls (see placePopover).
    Q_INVOKABLE QVariantMap pauseMenuPlacement(const QRectF& button, const QSizeF& size, const QRectF& area) const;

    void tick();

  signals:
    void changed();

  private:
    void refreshAccessibilityState();
    void observeCloudSyncState();
    void stop();

    Platform& platform_;
    GlobalPauseController& pause_;
    Hooks hooks_;
    Date now_;
    bool trusted_ = false;
    bool syncing_ = false;
    bool showingPauseMenu_ = false;
    int shownViews_ = 0;
    WorkHandle tick_;
    WorkHandle syncObservationStart_;
    ObserverToken syncObservation_;
    ObserverToken pauseObserver_;
    ObserverToken blacklistObserver_;
    ObserverToken blacklistTokenObserver_;
    Lifetime lifetime_;
};

} // namespace nimbrel
