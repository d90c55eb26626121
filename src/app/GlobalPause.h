#pragma once

#include "model/RuleSchedule.h"
#include "platform/Date.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"

#include <QString>

#include <functional>
#include <vector>

namespace nimbrel {

struct Platform;

namespace pausekeys {
// "Nimbrel.globalPauseActive" is the model's kGlobalPauseActiveKey (model/RuleSchedule.h).
inline const QString kIsPausedIndefinitely = QStringLiteral("Nimbrel.isPausedIndefinitely");
inline const QString kPauseUntilTimestamp = QStringLiteral("Nimbrel.pauseUntilTimestamp");
inline const QString kSavedSyncEnabled = QStringLiteral("Nimbrel.pause.savedSyncEnabled");
inline const QString kHasSavedSyncState = QStringLiteral("Nimbrel.pause.hasSavedSyncState");
inline const QString kSyncEnabled = QStringLiteral("Nimbrel.settings.syncEnabled");
} // namespace pausekeys

// "1h 0m", "1m 0s", "59s": the remaining seconds rounded up (negative counts as 0).
QString remainingPauseText(double remainingSeconds);

// One row of the pause menu.
struct PauseMenuRow {
    enum class Action { resume, pauseFor, pauseIndefinitely };
    Action action = Action::pauseFor;
    QString symbol;
    QString text;
    double seconds = 0; // pauseFor only
    bool dividerBefore = false;
    bool operator==(const PauseMenuRow&) const = default;
};
// The rows shown, top to bottom; Resume (and its divider) only while paused.
std::vector<PauseMenuRow> pauseMenuRows(bool paused);

// The global pause of rules and sessions. The state lives in the defaults; this controller is
// its only writer, is made at start-up and lives with the program, so a timed pause ends on
// time whether or not any screen is open, and one that ended while the program was not
// running is ended at launch.
class GlobalPauseController {
  public:
    struct Hooks {
        // Sets the sync manager's flag.
        std::function<void(bool enabled)> setSyncManagerEnabled;
        // Records an activity of type info.
        std::function<void(const QString& title, const QString& message)> recordInfo;
    };

    GlobalPauseController(Platform& platform, Hooks hooks);
    ~GlobalPauseController();
    GlobalPauseController(const GlobalPauseController&) = delete;
    GlobalPauseController& operator=(const GlobalPauseController&) = delete;

    // Ends a timed pause whose end has passed, else arms its end.
    void start();

    void pause(double seconds);
    void pauseIndefinitely();
    void resume();
    void run(const PauseMenuRow& row);

    // Ends a timed pause whose end has passed. Timers do not run while the Mac sleeps, so the
    // main menu's one-second tick asks too: the screen never shows "Active" while the flag holds.
    void endIfExpired();

    bool isPausedIndefinitely() const;
    // Seconds since 1970; 0 means no timed pause.
    double pauseUntilTimestamp() const;
    // Paused as the screens show it at `now`: indefinitely, or before the end of a timed pause.
    bool isPaused(Date now) const;
    QString statusTitle(Date now) const;
    QString remainingPauseText(Date now) const;

  private:
    void beginPause();
    void endPause();
    void applySyncEnabled(bool enabled);
    void setGlobalPauseActive(bool active);
    void armExpiry();
    void postChange();

    Platform& platform_;
    Hooks hooks_;
    WorkHandle expiry_;
    Lifetime lifetime_;
};

} // namespace nimbrel
