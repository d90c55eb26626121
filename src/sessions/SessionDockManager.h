#pragma once

#include "platform/Scheduler.h"
#include "sessions/DockSnapshotFile.h"
#include "sessions/DockSnapshotStateFile.h"
#include "sessions/DockWriter.h"
#include "sessions/SessionServices.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;
struct NimbrelSessionApp;

// Puts a session's Dock apps in the Dock and, when no session is active, the user's Dock back:
// the Dock's "persistent-apps" preference is written and the Dock restarted.
//
// How the user's Dock is never lost. "OriginalDockSnapshot.json" holds the Dock from before the
// first session until the Dock is seen showing it again, or showing an arrangement the user made
// since. Beside it, in a file of its own, is its state: the Docks this manager wrote or wrote over
// since it was taken (each session Dock it wrote, but one equal to the snapshot; the Dock showing
// when a restore wrote the snapshot over it), and whether a restore of the snapshot has been
// written since the last session Dock. The state is on disk before the Dock shows what it names
// (when it cannot be written, the Dock is left as it is: a start waits for the next, a restore
// for the next restore).
// - The first restore after a session Dock writes the snapshot back whatever the Dock shows:
//   what the user did to the Dock during a session goes with the session. A session whose Dock
//   is the user's own takes no snapshot, so what the user arranges during it stays.
// - Once a restore has been written, a restore's check 1.5 s later and a later restore find one
//   of three: the snapshot (done: it is dropped); one of those Docks of Nimbrel's (the restore
//   did not take: the next restore writes it again); or another Dock, the user's own arrangement
//   made since (adopted, and the snapshot dropped). A later session's capture decides the same,
//   but keeps the snapshot where the Dock shows it or one of Nimbrel's: it is still the Dock from
//   before. An arrangement of the user's equal to a Dock the state names is taken for Nimbrel's.
// - A snapshot whose state is lost (missing, as an earlier build left it; unreadable; left by a
//   kill while the Dock was being written; or after a restore wrote over a Dock that could not be
//   read) is taken as written back, with the Docks it names (the sessions' Docks where it cannot
//   be read) standing for Nimbrel's. Another Dock cannot be told from an arrangement of the
//   user's: it is adopted, and the snapshot set aside as a file, never deleted. A Dock that only a
//   session's Dock stands for may be either: it is set aside as a file before it is written over.
// - A drop marks the state written back, then deletes the snapshot, then the state: a kill or a
//   snapshot that cannot be deleted leaves a snapshot never to be written over what the user
//   arranges next. A state that cannot be deleted is rewritten to name no Dock.
// - A state naming Docks outlives its snapshot only while the snapshot is stuck (unreadable, and
//   it cannot be moved aside); when a capture deletes a snapshot holding a Dock of Nimbrel's, or
//   finds it gone while one of Nimbrel's shows (the session goes on, and its end says the user's
//   copy is lost); and after a kill inside a drop, until a look that can read the Dock.
// - A Dock that cannot be read decides nothing: it is never captured, never taken for the user's
//   and never written over while a restore waits. A later look decides.
// - A write is judged by its own check, never by reading it back at once: the same apply, or a
//   restore, asked again while its write awaits that check adds nothing.
// "Restored" is said of a session's end only when the restore writes the user's Dock back or
// finds it showing.
class NimbrelSessionDockManager final : public SessionDockControl,
                                        public std::enable_shared_from_this<NimbrelSessionDockManager> {
  public:
    static inline const QString kSnapshotFileName = DockSnapshotFile::kFileName;
    static inline const QString kStoppedSnapshotKey = DockSnapshotFile::kStoppedSnapshotKey;
    static constexpr double kKickstartDelay = DockWriter::kKickstartDelay;
    static constexpr double kVerificationDelay = 1.5;

    explicit NimbrelSessionDockManager(Platform& platform);

    bool applySessionDock(const NimbrelSession& session) override;
    Restore prepareRestore() override;
    void restoreOriginalDock() override;

    std::optional<QString> dockPath(const NimbrelSessionApp& app) const;
    QStringList currentDockPaths() const;
    const QString& snapshotPath() const { return snapshot_.path(); }

  private:
    enum class Sight { snapshot, nimbrels, users, unknown };
    static Sight look(const std::optional<QStringList>& current, const QStringList& snapshot,
                      const DockSnapshotState& state);
    // What a restore does: prepared (its state on disk when it writes), then carried out.
    struct Plan {
        enum class Step { none, clearState, drop, wait, adopt, write } step = Step::none;
        Restore outlook = Restore::usersDock;
        QStringList snapshot;
        DockSnapshotState state;
    };

    // The state beside `snapshot`, or what stands for it when it is lost.
    DockSnapshotState stateBeside(const std::optional<QStringList>& snapshot);
    void dropSnapshot();
    // The Dock showing becomes the user's: an arrangement of theirs, or (`stateLost`) one that
    // cannot be told from one. False when the snapshot could not be set aside.
    bool adoptShownDock(bool stateLost);
    // Before a Dock that only the sessions' Docks stand for is written over: false when it could
    // not be set aside.
    bool setShownDockAside(const QStringList& shown, const DockSnapshotState& state);
    // Makes sure the user's Dock is kept before a session's is written: false when it cannot be.
    bool captureOriginalSnapshot(const QStringList& sessionPaths, std::optional<QStringList>& snapshot,
                                 DockSnapshotState& state);
    // The Dock's paths; none when its domain is missing or "persistent-apps" is no list of tiles.
    std::optional<QStringList> readDockPaths() const;
    void checkLater(bool restore, const QStringList& written);
    void verifySessionDockApply(const QStringList& expectedPaths);
    void verifyOriginalDockRestore(const QStringList& expectedPaths);
    void record(bool error, const QString& title, const QString& message) const;

    Platform& platform_;
    DockSnapshotStateFile stateFile_;
    DockSnapshotFile snapshot_;
    DockWriter writer_;
    std::optional<Plan> prepared_;
    bool isApplyingDock_ = false;
    // The last write's check until it runs: whether the write was a restore, and what it wrote.
    struct PendingCheck {
        bool restore = false;
        QStringList written;
        WorkHandle work;
    };
    std::optional<PendingCheck> pending_;
};

} // namespace nimbrel
