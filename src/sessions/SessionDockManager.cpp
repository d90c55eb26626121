#include "sessions/SessionDockManager.h"

#include "activity/ActivityRecorder.h"
#include "platform/DockPreferences.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/Workspace.h"
#include "sessions/DockTiles.h"
#include "sessions/Session.h"
#include "sessions/SessionPaths.h"
#include "sessions/SessionsFile.h"

namespace nimbrel {

namespace {

const QString kLog = QStringLiteral("NimbrelSessionDockManager");

} // namespace

NimbrelSessionDockManager::NimbrelSessionDockManager(Platform& platform)
    : platform_(platform), stateFile_(platform), snapshot_(platform, stateFile_),
      writer_(platform, [this](const QString& title, const QString& message) { record(true, title, message); }) {}

void NimbrelSessionDockManager::record(bool error, const QString& title, const QString& message) const {
    recordNimbrelActivity(platform_, error ? NimbrelActivityType::error : NimbrelActivityType::session, title, message);
}

NimbrelSessionDockManager::Sight NimbrelSessionDockManager::look(const std::optional<QStringList>& current,
                                                                 const QStringList& snapshot,
                                                                 const DockSnapshotState& state) {
    if (!current) return Sight::unknown;
    // A snapshot holding Finder or a path twice shows as what a write of it gives.
    if (sameDockPaths(*current, snapshot) || sameDockPaths(*current, writableDockPaths(snapshot)))
        return Sight::snapshot;
    return state.isNimbrels(*current) ? Sight::nimbrels : Sight::users;
}

DockSnapshotState NimbrelSessionDockManager::stateBeside(const std::optional<QStringList>& snapshot) {
    std::optional<DockSnapshotState> state = stateFile_.load();
    if (state && std::exchange(state->incomplete, false)) state->lost = state->restoreWritten = true;
    if (state || !snapshot) return state.value_or(DockSnapshotState());
    DockSnapshotState lost;
    lost.lost = lost.restoreWritten = true;
    for (const NimbrelSession& session :
         readSessionsFile(sessionsSupportFolder(platform_.locations), platform_.clock->now())) {
        QStringList dock;
        for (const NimbrelSessionApp& app : deduplicatedApps(session.allowedApps))
            if (auto path = app.identityKey() == kFinderIdentityKey ? std::nullopt : dockPath(app)) dock << *path;
        if (!sameDockPaths(writableDockPaths(dock), *snapshot)) lost.sessionDocks.push_back(writableDockPaths(dock));
    }
    return lost;
}

// Marked written back before it goes: a kill at the removal, or a snapshot that cannot be
// deleted, leaves one never to be written over what the user arranges next. Where the mark
// cannot be written, the removal is still what keeps it from being written back.
void NimbrelSessionDockManager::dropSnapshot() {
    if (std::optional<DockSnapshotState> state = stateFile_.load(); state && !state->restoreWritten) {
        state->restoreWritten = true;
        stateFile_.save(*state);
    }
    if (snapshot_.remove()) {
        stateFile_.clear();
        return;
    }
    logLine(kLog, QStringLiteral("could not delete the original Dock snapshot; it stays marked as written back"));
}

bool NimbrelSessionDockManager::adoptShownDock(bool stateLost) {
    if (!stateLost) {
        logLine(kLog, QStringLiteral("Dock was changed after the original Dock was written back; keeping it and "
                                     "dropping the snapshot"));
        record(false, QStringLiteral("Dock Kept"),
               QStringLiteral("The Dock was changed after the default Dock was restored, so it was kept as it is."));
        dropSnapshot();
        return true;
    }
    const std::optional<QString> aside = snapshot_.moveAside(QStringLiteral("unrestored"));
    if (!aside) return false; // the next look tries again
    const QString name = lastPathComponent(*aside);
    logLine(kLog, QStringLiteral("Dock may have been changed since the original Dock was written back; keeping it, "
                                 "and the snapshot as ") +
                      name);
    record(false, QStringLiteral("Dock Snapshot Set Aside"),
           QStringLiteral("The Dock may have been changed since the default Dock was restored, so it was kept as it "
                          "is. The default Dock from before the session is kept in the file \u201c%1\u201d.")
               .arg(name));
    stateFile_.clear();
    return true;
}

bool NimbrelSessionDockManager::setShownDockAside(const QStringList& shown, const DockSnapshotState& state) {
    // Only the lost state's stand-ins make it Nimbrel's: it may as well be an arrangement of the user's.
    if (!state.lost || state.names(shown)) return true;
    const std::optional<QString> aside = snapshot_.setReplacedDockAside(shown);
    if (!aside) {
        logLine(kLog, QStringLiteral("left the Dock as it is because it could not be set aside"));
        return false;
    }
    const QString name = lastPathComponent(*aside);
    QStringList apps;
    for (const QString& path : shown)
        apps << dockTileLabel(path);
    logLine(kLog, QStringLiteral("Dock showing may be the user's; set it aside as %1 before replacing it").arg(name));
    record(false, QStringLiteral("Dock Set Aside"),
           QStringLiteral("The Dock showing could not be told from a session's Dock, so it was kept in the file "
                          "\u201c%1\u201d before it was replaced. It holds: %2.")
               .arg(name, apps.isEmpty() ? QStringLiteral("no apps") : apps.join(QStringLiteral(", "))));
    return true;
}

bool NimbrelSessionDockManager::applySessionDock(const NimbrelSession& session) {
    if (isApplyingDock_) return true;
    prepared_.reset();
    const std::vector<NimbrelSessionApp> apps = deduplicatedApps(session.allowedApps);
    bool finderSelected = false;
    QStringList paths;
    for (const NimbrelSessionApp& app : apps) {
        finderSelected = finderSelected || app.identityKey() == kFinderIdentityKey;
        if (auto path = dockPath(app)) paths << *path;
    }
    const QStringList toWrite = writableDockPaths(paths);
    if (pending_ && !pending_->restore && pending_->written == toWrite) return true;
    isApplyingDock_ = true;
    std::optional<QStringList> snapshot;
    DockSnapshotState state;
    bool ready = captureOriginalSnapshot(paths, snapshot, state);
    // On disk before the Dock shows it. A session Dock equal to the user's own is the user's.
    if (snapshot ? !sameDockPaths(*snapshot, toWrite) : !state.nimbrelDocks.empty()) state.add(toWrite);
    state.restoreWritten = false;
    const bool keepState = ready && (snapshot || !state.nimbrelDocks.empty());
    state.incomplete = true;
    if (keepState) ready = stateFile_.save(state);
    if (ready) {
        logLine(kLog, QStringLiteral("applying Dock paths=") + quotedPathList(paths));
        record(false, QStringLiteral("Dock Replaced"),
               QStringLiteral("Session Dock was applied with %1 selected apps.").arg(apps.size()));
        checkLater(false, writer_.write(paths, finderSelected, shared_from_this()));
        state.incomplete = false;
        if (keepState) stateFile_.save(state);
    }
    isApplyingDock_ = false;
    return ready;
}

bool NimbrelSessionDockManager::captureOriginalSnapshot(const QStringList& sessionPaths,
                                                        std::optional<QStringList>& snapshot,
                                                        DockSnapshotState& state) {
    bool blocked = false;
    snapshot = snapshot_.load(&blocked);
    if (blocked) return false; // the user's Dock could not be kept safe
    state = stateBeside(snapshot);
    const std::optional<QStringList> current = readDockPaths();
    if (snapshot && state.isNimbrels(*snapshot)) {
        // Nimbrel's own Dock is no Dock from before; the Docks it wrote stay known.
        logLine(kLog, QStringLiteral("existing Dock snapshot matches session Dock; deleting unsafe snapshot"));
        snapshot_.remove();
        snapshot.reset();
    } else if (snapshot && state.restoreWritten) {
        const Sight sight = look(current, *snapshot, state);
        if (sight == Sight::unknown) {
            logLine(kLog, QStringLiteral("left the Dock as it is because it cannot be read while a restore waits"));
            return false;
        }
        if (sight == Sight::nimbrels) {
            if (!setShownDockAside(*current, state)) return false;
            state.add(*current); // where the state was lost, it is known now
        }
        if (sight != Sight::users) return true; // the snapshot stays the user's Dock
        if (!adoptShownDock(state.lost)) return false;
        snapshot.reset();
        state = {};
    }
    if (snapshot) return true;
    if (!current) {
        logLine(kLog, QStringLiteral("skipped original Dock snapshot because current Dock cannot be read"));
        return false;
    }
    if (state.isNimbrels(*current)) {
        logLine(kLog, QStringLiteral("skipped original Dock snapshot because current Dock is a session Dock"));
        return true;
    }
    state = {};
    if (sameDockPaths(*current, sessionPaths)) {
        logLine(kLog,
                QStringLiteral("skipped original Dock snapshot because current Dock already matches session Dock"));
        return true;
    }
    // An empty Dock is the user's too, and comes back empty. A snapshot that cannot be written
    // leaves the Dock as it is: replacing it would lose the user's; the next apply tries again.
    if (!snapshot_.write(*current)) return false;
    logLine(kLog, QStringLiteral("captured original Dock snapshot paths=") + quotedPathList(*current));
    snapshot = current;
    return true;
}

std::optional<QString> NimbrelSessionDockManager::dockPath(const NimbrelSessionApp& app) const {
    if (app.identityKey() == kFinderIdentityKey) {
        logLine(kLog, QStringLiteral("Finder selected=true. Finder is handled by macOS built-in Dock tile, not "
                                     "persistent-apps."));
        return std::nullopt;
    }
    if (app.path) {
        const QString expanded = platform_.files->expandTilde(*app.path);
        if (platform_.files->exists(expanded)) return expanded;
    }
    if (app.bundleIdentifier)
        if (auto located = platform_.workspace->urlForApplication(*app.bundleIdentifier);
            located && platform_.files->exists(*located))
            return located;
    return std::nullopt;
}

QStringList NimbrelSessionDockManager::currentDockPaths() const {
    return readDockPaths().value_or(QStringList());
}

std::optional<QStringList> NimbrelSessionDockManager::readDockPaths() const {
    return persistentAppPaths(platform_.dockPreferences->persistentDomain());
}

void NimbrelSessionDockManager::verifySessionDockApply(const QStringList& expectedPaths) {
    const QStringList current = currentDockPaths();
    if (sameDockPaths(current, expectedPaths)) {
        logLine(kLog, QStringLiteral("verified session Dock apply"));
        return;
    }
    logLine(kLog, QStringLiteral("warning session Dock apply verification did not match expected paths current=") +
                      quotedPathList(current));
    record(true, QStringLiteral("Dock Apply Verification Failed"),
           QStringLiteral("The current Dock did not match the expected session Dock."));
}

void NimbrelSessionDockManager::checkLater(bool restore, const QStringList& written) {
    if (pending_) pending_->work->cancel(); // a later write: what the earlier one's check would see is not its own
    const WorkHandle work = platform_.scheduler->after(
        kVerificationDelay, weakly(shared_from_this(), [restore, written](NimbrelSessionDockManager& manager) {
            manager.pending_.reset();
            if (restore)
                manager.verifyOriginalDockRestore(written);
            else
                manager.verifySessionDockApply(written);
        }));
    pending_ = PendingCheck{restore, written, work};
}

SessionDockControl::Restore NimbrelSessionDockManager::prepareRestore() {
    using Step = Plan::Step;
    Plan& plan = prepared_.emplace();
    if (pending_ && pending_->restore) return plan.outlook; // its check judges the restore already written
    bool blocked = false;
    const std::optional<QStringList> snapshot = snapshot_.load(&blocked);
    DockSnapshotState state = stateBeside(snapshot);
    const std::optional<QStringList> current = readDockPaths();
    if (!snapshot) {
        // A stuck snapshot is no lost one; nor is a Dock that cannot be read, as a kill inside a
        // drop leaves it. Either waits for a later look, the Dock left as it is.
        if (blocked || (!current && !state.nimbrelDocks.empty())) {
            plan.outlook = Restore::leftAlone;
            return plan.outlook;
        }
        plan.step = Step::clearState;
        if (!state.nimbrelDocks.empty() && state.isNimbrels(*current)) plan.outlook = Restore::copyLost;
        return plan.outlook;
    }
    plan.snapshot = *snapshot;
    const Sight sight = look(current, *snapshot, state);
    // Before a restore has been written, a snapshot holding Finder or a path twice is written once.
    if (sight == Sight::snapshot && (state.restoreWritten || sameDockPaths(*current, *snapshot))) {
        plan.step = Step::drop;
    } else if (state.restoreWritten && sight != Sight::nimbrels) {
        plan.step = sight == Sight::users ? Step::adopt : Step::wait;
    } else if (!current || setShownDockAside(*current, state)) {
        if (current) state.add(*current);
        state.restoreWritten = state.incomplete = true;
        plan.step = stateFile_.save(state) ? Step::write : Step::none; // else it waits, as one that did not take
        state.incomplete = !current;                                   // what it writes over is unknown then
    }
    if (plan.step == Step::none || plan.step == Step::wait || (plan.step == Step::adopt && state.lost))
        plan.outlook = Restore::leftAlone;
    plan.state = state;
    return plan.outlook;
}

void NimbrelSessionDockManager::restoreOriginalDock() {
    if (!prepared_) prepareRestore();
    const Plan plan = *std::exchange(prepared_, std::nullopt);
    switch (plan.step) {
    case Plan::Step::none:
        return;
    case Plan::Step::clearState:
        if (plan.outlook == Restore::copyLost)
            logLine(kLog, QStringLiteral("cannot restore original Dock because its snapshot is missing"));
        stateFile_.clear(); // from here on the Dock showing is the user's
        return;
    case Plan::Step::drop:
        logLine(kLog, QStringLiteral("Dock already matches original snapshot, skipping restart"));
        return dropSnapshot();
    case Plan::Step::wait:
        return logLine(kLog, QStringLiteral("left the Dock as it is because it cannot be read while a restore waits"));
    case Plan::Step::adopt:
        adoptShownDock(plan.state.lost);
        return;
    case Plan::Step::write:
        break;
    }
    logLine(kLog, QStringLiteral("restoring original Dock paths=") + quotedPathList(plan.snapshot));
    record(false, QStringLiteral("Dock Restored"),
           QStringLiteral("Default Dock was restored with %1 apps.").arg(plan.snapshot.size()));
    checkLater(true, writer_.write(plan.snapshot, false, shared_from_this()));
    stateFile_.save(plan.state); // the restore has been written
}

// Checked against what the write put in the Dock, so a snapshot holding Finder or a repeated
// path is put back once and then dropped, not kept and rewritten at every restore.
void NimbrelSessionDockManager::verifyOriginalDockRestore(const QStringList& expectedPaths) {
    const std::optional<QStringList> current = readDockPaths();
    if (current && sameDockPaths(*current, expectedPaths)) {
        logLine(kLog, QStringLiteral("verified original Dock restore"));
        dropSnapshot();
        return;
    }
    logLine(kLog, QStringLiteral("warning restore verification did not match expected original Dock"));
    record(true, QStringLiteral("Dock Restore Verification Failed"),
           QStringLiteral("The current Dock did not match the saved original Dock."));
    // Else the snapshot waits for the next restore.
    if (!snapshot_.exists()) return;
    const DockSnapshotState state = stateBeside(expectedPaths);
    if (look(current, expectedPaths, state) == Sight::users) adoptShownDock(state.lost);
}

} // namespace nimbrel
