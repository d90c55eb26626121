// Which session is active, and applying it: the Dock, the pictures, the menu-bar symbol and
// the activity log follow every change of the active session and the global pause.
#include "sessions/SessionsStore.h"

#include "activity/ActivityRecorder.h"
#include "model/StoreSyncLinks.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"

namespace nimbrel {

namespace {
const QString kSessionsLog = QStringLiteral("NimbrelSessions");
}

void NimbrelSessionsStore::evaluateActiveSession(bool force) {
    if (isPaused()) {
        if (activeSession_.get() || force) {
            activeSession_.set(std::nullopt);
            applyActiveSession();
        }
        return;
    }
    const std::optional<NimbrelSession> previous = activeSession_.get();
    std::optional<NimbrelSession> candidate;
    // The moment is split into its calendar parts once: with many sessions that was most of
    // the tick. The pause was checked above.
    const DateComponents today = Calendar::current().components(now());
    // The list is kept in the session order, so the first active one wins.
    for (const NimbrelSession& session : sessions_.get())
        if (session.isScheduledAt(today)) {
            candidate = session;
            break;
        }
    activeSession_.set(candidate);
    if (previous != candidate || force)
        applyActiveSession();
    else if (candidate)
        retryLeftAlone(*candidate);
}

void NimbrelSessionsStore::retryLeftAlone(const NimbrelSession& active) {
    // Left alone because what the user had could not be kept safe: tried again at each tick,
    // so the session does not run without its Dock until something else applies it.
    if (dockLeftAlone_) dockLeftAlone_ = !parts_.dock->applySessionDock(active);
    if (wallpapersLeftAlone_) wallpapersLeftAlone_ = !parts_.wallpapers->applySessionWallpapers(active);
}

void NimbrelSessionsStore::postMenuBarIcon(const QString& symbolName) {
    platform_.notifications->post(kSessionMenuBarIconNotification, {{QStringLiteral("symbolName"), symbolName}});
}

QString NimbrelSessionsStore::notRestoredText(SessionDockControl::Restore dock) const {
    const bool dockLost = dock == SessionDockControl::Restore::copyLost;
    const bool pictures = parts_.wallpapers->usersCopyIsLost();
    if (dockLost && pictures)
        return QStringLiteral("the Dock and wallpapers could not be restored because their saved copies are missing.");
    QStringList parts;
    if (dock == SessionDockControl::Restore::leftAlone) parts << QStringLiteral("the Dock was left as it is");
    if (dockLost) parts << QStringLiteral("the Dock could not be restored because its saved copy is missing");
    if (pictures) parts << QStringLiteral("the wallpapers could not be restored because their saved copy is missing");
    return parts.isEmpty() ? QString() : parts.join(QStringLiteral(" and ")) + QLatin1Char('.');
}

void NimbrelSessionsStore::restoreDefaults() {
    dockLeftAlone_ = false;
    wallpapersLeftAlone_ = false;
    parts_.dock->restoreOriginalDock();
    parts_.wallpapers->restoreOriginalWallpapers();
}

void NimbrelSessionsStore::applyActiveSession() {
    if (isPaused()) {
        activeSession_.set(std::nullopt);
        postMenuBarIcon(kDefaultMenuBarSymbol);
        // Silent as a rule; but a Dock or pictures that stay the session's are the user's to know of.
        if (const QString left = notRestoredText(parts_.dock->prepareRestore()); !left.isEmpty())
            record(NimbrelActivityType::error, QStringLiteral("Session Paused"),
                   QStringLiteral("Nimbrel was paused, but ") + left);
        restoreDefaults();
        return;
    }
    if (const std::optional<NimbrelSession> active = activeSession_.get()) {
        // One pass over the pattern: a name holding "%2" stays as it is.
        logLine(kSessionsLog, QStringLiteral("applying active session %1 apps=%2 wallpapers=%3 menuBarIcon=%4")
                                  .arg(active->name, QString::number(active->allowedApps.size()),
                                       QString::number(active->wallpaperSelections.size()), active->menuBarSymbolName));
        record(NimbrelActivityType::session, QStringLiteral("Session Started"),
               QStringLiteral("%1 launched with %2 Dock apps and %3 whitelisted apps.")
                   .arg(active->name, QString::number(active->allowedApps.size()),
                        QString::number(active->whitelistedApps.size())));
        postMenuBarIcon(active->menuBarSymbolName);
        dockLeftAlone_ = !parts_.dock->applySessionDock(*active);
        wallpapersLeftAlone_ = !parts_.wallpapers->applySessionWallpapers(*active);
        return;
    }
    logLine(kSessionsLog, QStringLiteral("no active session, restoring default Dock and wallpapers"));
    postMenuBarIcon(kDefaultMenuBarSymbol);
    // "Restored" is said only when what the user had comes back, or shows already.
    if (const QString left = notRestoredText(parts_.dock->prepareRestore()); !left.isEmpty())
        record(NimbrelActivityType::error, QStringLiteral("Session Ended"),
               QStringLiteral("The session ended, but ") + left);
    else
        record(NimbrelActivityType::session, QStringLiteral("Session Ended"),
               QStringLiteral("Default Dock, wallpapers and menu bar icon were restored."));
    restoreDefaults();
}

void NimbrelSessionsStore::applyPauseState() {
    if (isPaused()) {
        activeSession_.set(std::nullopt);
        applyActiveSession();
        return;
    }
    evaluateActiveSession(true);
    enforceActiveSessionOnRunningApps();
}

void NimbrelSessionsStore::applyGlobalPauseState() {
    shared().applyPauseState();
}

void NimbrelSessionsStore::performInitialActivation() {
    evaluateActiveSession(true);
    enforceActiveSessionOnRunningApps();
    refreshReminders();
}

} // namespace nimbrel
