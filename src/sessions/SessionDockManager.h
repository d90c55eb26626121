#pragma once

#include "platform/Scheduler.h"
#include "sessions/SessionServices.h"
#include "sessions/SessionSnapshotFile.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;
struct NimbrelSessionApp;

// Puts a session's Dock apps in the Dock and, when no session is active, the Dock from
// before: the Dock's "persistent-apps" preference is written and the Dock restarted. The Dock
// from before the first session stays in "OriginalDockSnapshot.json" until a restore of it has
// been seen in the Dock; a restore the Dock did not take is tried again by the next one (at a
// launch or a session's end). The user's own Dock is never lost: a session Dock this manager
// wrote is remembered (in the preferences, so across a crash or a restart) until the user's is
// back, and is never taken for the user's; the snapshot is only dropped once it has been written
// back and the Dock shows it, or shows what the user made of it since. A Dock that cannot be read
// is never taken for a change of the user's.
class NimbrelSessionDockManager final : public SessionDockControl,
                                        public std::enable_shared_from_this<NimbrelSessionDockManager> {
  public:
    static inline const QString kSnapshotFileName = QStringLiteral("OriginalDockSnapshot.json");
    // The paths of the session Dock written in place of the user's, kept until a restore puts the
    // user's back; absent while the Dock is the user's own.
    static inline const QString kWrittenSessionDockKey = QStringLiteral("Nimbrel.sessions.writtenSessionDock");
    // The Dock that the check after a restore found in place of the snapshot it wrote back;
    // present only while that snapshot waits for the next restore, so that a change the user
    // makes meanwhile is theirs.
    static inline const QString kUnrestoredDockKey = QStringLiteral("Nimbrel.sessions.unrestoredDock");
    // Left by earlier versions, which stopped writing back a snapshot after two failed checks and
    // kept it aside: the name it was kept as. Only read: it is taken back as the snapshot.
    static inline const QString kStoppedSnapshotKey = QStringLiteral("Nimbrel.sessions.stoppedDockSnapshot");
    static constexpr double kKickstartDelay = 0.35;
    static constexpr double kVerificationDelay = 1.5;

    explicit NimbrelSessionDockManager(Platform& platform);

    bool applySessionDock(const NimbrelSession& session) override;
    void restoreOriginalDock() override;
    bool usersCopyIsLost() override;

    std::optional<QString> dockPath(const NimbrelSessionApp& app) const;
    QStringList currentDockPaths() const;
    const QString& snapshotPath() const { return snapshot_.path(); }

  private:
    // What an apply knows of the user's own Dock once it has made sure it is kept.
    struct UsersDock {
        bool keptSafe = true;             // false: a snapshot was needed and could not be kept
        std::optional<QStringList> paths; // the user's Dock (its snapshot, or the Dock showing); none: unknown
    };
    UsersDock captureOriginalSnapshot(const QStringList& sessionPaths);
    // The snapshot, or when there is none the one an earlier version kept aside, taken back in
    // its place; `blocked`: an unreadable snapshot that could not be moved aside.
    std::optional<QStringList> loadOriginalSnapshot(bool* blocked = nullptr);
    std::optional<QStringList> takeBackStoppedSnapshot();
    // The Dock's paths; none when "persistent-apps" is there but is no list of tiles.
    std::optional<QStringList> readDockPaths() const;
    std::optional<QStringList> writtenSessionDock() const;
    void rememberWrittenSessionDock(const std::optional<QStringList>& paths);
    // Whether the user has changed the Dock since a restore that did not take.
    bool changedSinceUnrestored(const std::optional<QStringList>& current) const;
    void forgetUnrestoredDock();
    void dropSnapshot();
    bool restoreCheckPending() const;
    // Writes the tiles, restarts the Dock and returns the paths actually written.
    QStringList writePersistentApps(const QStringList& paths, bool finderVisible);
    void restartDock();
    void kickstartDockAgent();
    void verifySessionDockApply(const QStringList& expectedPaths);
    // `sessionDock`: the session Dock the restore wrote over, when known.
    void verifyOriginalDockRestore(const QStringList& expectedPaths, const std::optional<QStringList>& sessionDock);
    void record(bool error, const QString& title, const QString& message) const;

    Platform& platform_;
    SessionSnapshotFile snapshot_;
    bool isApplyingDock_ = false;
    // The check after the last restore's write, and the session Dock that restore wrote over.
    WorkHandle restoreCheck_;
    std::optional<QStringList> restoredOver_;
};

} // namespace nimbrel
