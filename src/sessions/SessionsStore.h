#pragma once

#include "activity/ActivityEntry.h"
#include "platform/NotificationCenter.h"
#include "platform/Published.h"
#include "platform/Scheduler.h"
#include "sessions/MainBundle.h"
#include "sessions/Session.h"
#include "sessions/SessionAllowedApps.h"
#include "sessions/SessionServices.h"
#include "sessions/SessionsFile.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;
struct RunningApplication;

inline const QString kSessionMenuBarIconNotification = QStringLiteral("nimbrelSessionMenuBarIconDidChange");

// The user's sessions: kept in "Sessions.json", edited by the sessions screens, and the one
// place that decides which session is active and applies it (Dock, pictures, menu-bar symbol,
// closing apps the session does not allow).
class NimbrelSessionsStore : public std::enable_shared_from_this<NimbrelSessionsStore> {
  public:
    static constexpr double kActivationInterval = 15.0;

    // Who does the store's work outside itself. `standard` gives the program's own.
    struct Parts {
        std::shared_ptr<SessionDockControl> dock;
        std::shared_ptr<SessionWallpaperControl> wallpapers;
        std::function<SessionReminderControl&()> reminders;
        std::function<std::unique_ptr<SessionsCloudSide>(std::weak_ptr<NimbrelSessionsStore>)> makeCloudSide;
        NimbrelMainBundle mainBundle;
        qint64 sessionsFileBytes = SessionsFile::kMaxFileBytes; // smaller in tests of the bound

        static Parts standard(Platform& platform);
        // Nothing outside the store: no Dock, pictures, reminders or cloud.
        static Parts none();
    };

    // Builds a store and runs its creation: load, the first pull, the 15 s tick, the observers,
    // and the queued first activation pass.
    static std::shared_ptr<NimbrelSessionsStore> create(Platform& platform, Parts parts);
    static NimbrelSessionsStore& shared();
    static std::shared_ptr<NimbrelSessionsStore> sharedPtr();
    // The start-up entry: obtains the shared store and applies the global pause or the active session.
    static void applyGlobalPauseState();
    ~NimbrelSessionsStore();

    const Published<std::vector<NimbrelSession>>& sessions() const { return sessions_; }
    const Published<std::optional<NimbrelSession>>& activeSession() const { return activeSession_; }
    const QString& storagePath() const { return file_.path(); }
    bool isApplyingCloudSessionsPayload() const { return applyingCloudPayload_; }
    bool isBlockedAlertShowing() const { return blockedAlertIsShowing_; }

    void addSession(const NimbrelSession& session);
    void updateSession(const NimbrelSession& session);
    void deleteSession(const Uuid& id);

    // The cloud side's merge result: stored (not pushed back), then applied as any change is.
    void replaceSessionsFromCloud(std::vector<NimbrelSession> sessions);

    void loadSessions();
    void saveSessions();
    void evaluateActiveSession(bool force);
    void applyActiveSession();
    // What the bootstrap and the pause notice do on this store.
    void applyPauseState();
    void performInitialActivation();
    void refreshReminders();

    // App blocking.
    void enforceActiveSessionOnRunningApps();
    bool blockIfNotAllowed(const RunningApplication& app);
    bool isCurrentApplication(const RunningApplication& app) const;

  private:
    NimbrelSessionsStore(Platform& platform, Parts parts);
    void start();
    void startActivationMonitoring();
    // The clock and the zone as the store last looked, at a tick or a reminder refresh.
    struct ClockReading {
        Date moment;
        QTimeZone zone;
    };
    ClockReading readClock() const;
    // Keeps the reading; a zone that gives other local times than the last is told to the screens.
    void noteClock(ClockReading reading);
    // At each tick: the reminders are made again once the clock has been set back or the zone
    // gives other local times since the last reading.
    void noticeClockChange();
    void observeApplicationLaunches();
    // System Settings while Nimbrel waits for the Accessibility permission it sends the user there for.
    bool isNeededForSetup(const RunningApplication& app) const;
    void observePauseState();
    void showBlockedAlert(const RunningApplication& app, const NimbrelSession& session);
    void postMenuBarIcon(const QString& symbolName);
    void restoreDefaults();
    // What of the user's Dock and pictures does not come back now, given what the Dock's prepared
    // restore will leave, as the end of a sentence; empty when all does.
    QString notRestoredText(SessionDockControl::Restore dock) const;
    void retryLeftAlone(const NimbrelSession& active);
    void storeChangedList(std::vector<NimbrelSession> sessions);
    void reportSaveFailure(const QString& error) const;
    void afterChange();
    bool isPaused() const;
    Date now() const;
    void record(NimbrelActivityType type, const QString& title, const QString& message) const;

    Platform& platform_;
    Parts parts_;
    std::unique_ptr<SessionsCloudSide> cloud_;
    SessionsFile file_;
    Published<std::vector<NimbrelSession>> sessions_;
    Published<std::optional<NimbrelSession>> activeSession_;
    // The active session's allowed apps, gathered at the first check after it changes.
    std::optional<SessionAllowedApps> activeAllowedApps_;
    ObserverToken activeSessionObserver_;
    WorkHandle activationTimer_;
    ClockReading lastClock_;
    ObserverToken applicationObserver_;
    ObserverToken pauseObserver_;
    bool blockedAlertIsShowing_ = false;
    bool applyingCloudPayload_ = false;
    // The active session's Dock or pictures were left as they were (their snapshot could not be written).
    bool dockLeftAlone_ = false;
    bool wallpapersLeftAlone_ = false;
};

} // namespace nimbrel
