#include "sessions/SessionDockManager.h"

#include "activity/ActivityRecorder.h"
#include "platform/DockPreferences.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/ProcessRunner.h"
#include "platform/Scheduler.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "sessions/DockSnapshotState.h"
#include "sessions/DockTiles.h"
#include "sessions/Session.h"
#include "sessions/SessionPaths.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <unistd.h>

namespace nimbrel {

namespace {

const QString kLog = QStringLiteral("NimbrelSessionDockManager");

SessionSnapshotFile::Reporting dockSnapshotReporting() {
    return {kLog, QStringLiteral("failed to load original Dock snapshot: "),
            QStringLiteral("Dock Snapshot Load Failed"), QStringLiteral("failed to save original Dock snapshot: "),
            QStringLiteral("Dock Snapshot Failed")};
}

// A Dock snapshot: a JSON array of paths.
std::optional<QStringList> loadDockPaths(SessionSnapshotFile& file, bool* blocked) {
    QStringList paths;
    const auto state = file.load([&paths](const QJsonDocument& document) {
        if (!document.isArray())
            throw json::DecodeError(
                QStringLiteral("Expected to decode an array of paths but found an object instead."));
        const QJsonArray items = document.array();
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (!items[i].isString()) throw json::DecodeError(QStringLiteral("[%1]: expected a string").arg(i));
            paths << items[i].toString();
        }
    });
    if (blocked) *blocked = state == SessionSnapshotFile::State::blocked;
    if (state != SessionSnapshotFile::State::loaded) return std::nullopt;
    return paths;
}

// Only the names earlier versions kept a snapshot aside under: a stored value never leads elsewhere.
bool isStoppedSnapshotName(const QString& name) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral(R"(OriginalDockSnapshot\.json\.unrestored-[0-9]{8}T[0-9]{6}Z(-[0-9]+)?)")));
    return pattern.match(name).hasMatch();
}

} // namespace

NimbrelSessionDockManager::NimbrelSessionDockManager(Platform& platform)
    : platform_(platform), snapshot_(platform, kSnapshotFileName, dockSnapshotReporting()) {}

void NimbrelSessionDockManager::record(bool error, const QString& title, const QString& message) const {
    recordNimbrelActivity(platform_, error ? NimbrelActivityType::error : NimbrelActivityType::session, title, message);
}

NimbrelSessionDockManager::Sight NimbrelSessionDockManager::look(const std::optional<QStringList>& current,
                                                                 const QStringList& snapshot,
                                                                 const DockSnapshotState& kept) {
    if (!current) return Sight::unknown;
    // A snapshot holding Finder or a path twice shows as what a write of it gives.
    if (sameDockPaths(*current, snapshot) || sameDockPaths(*current, writableDockPaths(snapshot)))
        return Sight::snapshot;
    return kept.isNimbrels(*current) ? Sight::nimbrels : Sight::users;
}

// The file before the state beside it: a state left alone by a kill between the two only names
// Docks of Nimbrel's, which is safe.
void NimbrelSessionDockManager::dropSnapshot() {
    snapshot_.remove();
    DockSnapshotState().save(*platform_.defaults);
}

void NimbrelSessionDockManager::keepUsersArrangement() {
    logLine(kLog, QStringLiteral("Dock was changed after the original Dock was written back; keeping it and dropping "
                                 "the snapshot"));
    record(false, QStringLiteral("Dock Kept"),
           QStringLiteral("The Dock was changed after the default Dock was restored, so it was kept as it is."));
    dropSnapshot();
}

bool NimbrelSessionDockManager::applySessionDock(const NimbrelSession& session) {
    if (isApplyingDock_) return true;
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
    DockSnapshotState kept = DockSnapshotState::load(*platform_.defaults);
    if (!captureOriginalSnapshot(paths, snapshot, kept)) {
        isApplyingDock_ = false;
        return false;
    }
    logLine(kLog, QStringLiteral("applying Dock paths=") + quotedPathList(paths));
    record(false, QStringLiteral("Dock Replaced"),
           QStringLiteral("Session Dock was applied with %1 selected apps.").arg(apps.size()));
    // Kept before the Dock shows it. A session Dock equal to the user's own is the user's.
    if (snapshot ? !sameDockPaths(*snapshot, toWrite) : !kept.nimbrelDocks.empty()) kept.add(toWrite);
    kept.restoreWritten = false;
    kept.save(*platform_.defaults);
    checkLater(false, writePersistentApps(paths, finderSelected));
    isApplyingDock_ = false;
    return true;
}

bool NimbrelSessionDockManager::captureOriginalSnapshot(const QStringList& sessionPaths,
                                                        std::optional<QStringList>& snapshot, DockSnapshotState& kept) {
    bool blocked = false;
    snapshot = loadOriginalSnapshot(&blocked);
    if (blocked) return false; // the user's Dock could not be kept safe
    const std::optional<QStringList> current = readDockPaths();
    if (snapshot && kept.isNimbrels(*snapshot)) {
        // Nimbrel's own Dock is no Dock from before; the Docks it wrote stay known.
        logLine(kLog, QStringLiteral("existing Dock snapshot matches session Dock; deleting unsafe snapshot"));
        snapshot_.remove();
        snapshot.reset();
    } else if (snapshot && kept.restoreWritten) {
        const Sight sight = look(current, *snapshot, kept);
        if (sight == Sight::unknown) {
            logLine(kLog, QStringLiteral("left the Dock as it is because it cannot be read while a restore waits"));
            return false;
        }
        if (sight != Sight::users) return true; // the snapshot stays the user's Dock
        keepUsersArrangement();
        snapshot.reset();
        kept = {};
    }
    if (snapshot) return true;
    if (!current) {
        logLine(kLog, QStringLiteral("skipped original Dock snapshot because current Dock cannot be read"));
        return false;
    }
    if (kept.isNimbrels(*current)) {
        logLine(kLog, QStringLiteral("skipped original Dock snapshot because current Dock is a session Dock"));
        return true;
    }
    kept = {};
    if (sameDockPaths(*current, sessionPaths)) {
        logLine(kLog,
                QStringLiteral("skipped original Dock snapshot because current Dock already matches session Dock"));
        return true;
    }
    // An empty Dock is the user's too, and comes back empty. A snapshot that cannot be written
    // leaves the Dock as it is: replacing it would lose the user's; the next apply tries again.
    if (!snapshot_.write(QJsonArray::fromStringList(*current))) return false;
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

std::optional<QStringList> NimbrelSessionDockManager::loadOriginalSnapshot(bool* blocked) {
    bool stuck = false;
    const std::optional<QStringList> paths = loadDockPaths(snapshot_, &stuck);
    if (blocked) *blocked = stuck;
    if (stuck || !platform_.defaults->contains(kStoppedSnapshotKey)) return paths;
    if (!paths) return takeBackStoppedSnapshot();
    platform_.defaults->remove(kStoppedSnapshotKey); // the snapshot in place is the later one
    return paths;
}

std::optional<QStringList> NimbrelSessionDockManager::takeBackStoppedSnapshot() {
    const std::optional<QString> name = platform_.defaults->stringValue(kStoppedSnapshotKey);
    std::optional<SessionSnapshotFile> kept;
    std::optional<QStringList> paths;
    bool reported = false;
    if (name && isStoppedSnapshotName(*name)) {
        kept.emplace(platform_, *name, dockSnapshotReporting());
        reported = kept->exists(); // one that cannot be read is reported as it is read
        paths = loadDockPaths(*kept, nullptr);
    }
    if (!paths) {
        logLine(kLog, QStringLiteral("no original Dock snapshot is kept aside under the stored name; ignoring it"));
        if (!reported)
            record(true, QStringLiteral("Dock Snapshot Load Failed"),
                   QStringLiteral("The original Dock that an earlier version of Nimbrel kept aside could not be "
                                  "found, so it cannot be put back."));
        platform_.defaults->remove(kStoppedSnapshotKey);
        return std::nullopt;
    }
    if (!snapshot_.write(QJsonArray::fromStringList(*paths))) return std::nullopt; // taken back at the next load
    // It had been written back and not taken: the Dock showing is Nimbrel's, a change of it the user's.
    DockSnapshotState state = DockSnapshotState::load(*platform_.defaults);
    state.restoreWritten = true;
    state.save(*platform_.defaults);
    platform_.defaults->remove(kStoppedSnapshotKey);
    kept->remove();
    logLine(kLog, QStringLiteral("took back the original Dock snapshot kept as ") + *name);
    return paths;
}

bool NimbrelSessionDockManager::usersCopyIsLost() {
    const DockSnapshotState kept = DockSnapshotState::load(*platform_.defaults);
    if (kept.nimbrelDocks.empty()) return false;
    if (const std::optional<QStringList> current = readDockPaths(); current && !kept.isNimbrels(*current)) return false;
    return !loadOriginalSnapshot();
}

QStringList NimbrelSessionDockManager::currentDockPaths() const {
    return readDockPaths().value_or(QStringList());
}

std::optional<QStringList> NimbrelSessionDockManager::readDockPaths() const {
    // A domain that reads as none is a Dock that cannot be read, not an empty one.
    const std::optional<QVariantMap> domain = platform_.dockPreferences->persistentDomain();
    if (!domain) return std::nullopt;
    if (!domain->contains(kDockPersistentAppsKey)) return QStringList();
    const QVariant apps = domain->value(kDockPersistentAppsKey);
    if (apps.typeId() != QMetaType::QVariantList) return std::nullopt;
    const QVariantList tiles = apps.toList();
    for (const QVariant& tile : tiles)
        if (tile.typeId() != QMetaType::QVariantMap) return std::nullopt;
    QStringList paths;
    for (const QVariant& tile : tiles)
        if (auto path = pathFromDockTile(tile.toMap())) paths << *path;
    return paths;
}

QStringList NimbrelSessionDockManager::writePersistentApps(const QStringList& paths, bool finderVisible) {
    const QStringList written = writableDockPaths(paths);
    QVariantList tiles;
    for (const QString& path : written)
        tiles << makeFileTile(path, *platform_.files);
    platform_.dockPreferences->setValue(kDockPersistentAppsKey, tiles);
    const bool synchronized = platform_.dockPreferences->synchronize();
    platform_.defaults->synchronize();
    logLine(kLog, QStringLiteral("wrote Dock persistent-apps count=%1 finderVisible=%2 synchronized=%3")
                      .arg(tiles.size())
                      .arg(finderVisible ? "true" : "false", synchronized ? "true" : "false"));
    restartDock();
    return written;
}

void NimbrelSessionDockManager::restartDock() {
    const ProcessResult killed = platform_.processes->run(QStringLiteral("/usr/bin/killall"), {QStringLiteral("Dock")});
    if (!killed.launched) {
        logLine(kLog, QStringLiteral("failed to kill Dock: ") + killed.launchError);
        record(true, QStringLiteral("Dock Restart Failed"), killed.launchError);
    } else {
        logLine(kLog, QStringLiteral("killall Dock status=%1").arg(killed.terminationStatus));
    }
    // Held strongly: the kickstart follows even when the store has let the manager go.
    platform_.scheduler->after(kKickstartDelay, [self = shared_from_this()] { self->kickstartDockAgent(); });
}

void NimbrelSessionDockManager::kickstartDockAgent() {
    const unsigned uid = platform_.systemInfo ? platform_.systemInfo->userId() : static_cast<unsigned>(::getuid());
    const ProcessResult result = platform_.processes->run(
        QStringLiteral("/bin/launchctl"),
        {QStringLiteral("kickstart"), QStringLiteral("-k"), QStringLiteral("gui/%1/com.apple.Dock.agent").arg(uid)});
    if (!result.launched) {
        logLine(kLog, QStringLiteral("failed to kickstart Dock: ") + result.launchError);
        record(true, QStringLiteral("Dock Kickstart Failed"), result.launchError);
        return;
    }
    logLine(kLog, QStringLiteral("launchctl Dock kickstart status=%1").arg(result.terminationStatus));
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

void NimbrelSessionDockManager::restoreOriginalDock() {
    if (pending_ && pending_->restore) return; // its check judges the restore already written
    bool blocked = false;
    const std::optional<QStringList> snapshot = loadOriginalSnapshot(&blocked);
    DockSnapshotState kept = DockSnapshotState::load(*platform_.defaults);
    const std::optional<QStringList> current = readDockPaths();
    if (!snapshot) {
        if (blocked) return; // the Docks of Nimbrel's stay known while the snapshot is stuck
        if (!kept.nimbrelDocks.empty() && (!current || kept.isNimbrels(*current)))
            logLine(kLog, QStringLiteral("cannot restore original Dock because its snapshot is missing"));
        DockSnapshotState().save(*platform_.defaults); // from here on the Dock showing is the user's
        return;
    }
    const Sight sight = look(current, *snapshot, kept);
    // Before a restore has been written, a snapshot holding Finder or a path twice is written once.
    if (sight == Sight::snapshot && (kept.restoreWritten || sameDockPaths(*current, *snapshot))) {
        logLine(kLog, QStringLiteral("Dock already matches original snapshot, skipping restart"));
        dropSnapshot();
        return;
    }
    if (kept.restoreWritten && sight == Sight::unknown) {
        logLine(kLog, QStringLiteral("left the Dock as it is because it cannot be read while a restore waits"));
        return;
    }
    if (kept.restoreWritten && sight == Sight::users) return keepUsersArrangement();
    logLine(kLog, QStringLiteral("restoring original Dock paths=") + quotedPathList(*snapshot));
    record(false, QStringLiteral("Dock Restored"),
           QStringLiteral("Default Dock was restored with %1 apps.").arg(snapshot->size()));
    if (current) kept.add(*current);
    kept.restoreWritten = true;
    kept.save(*platform_.defaults);
    checkLater(true, writePersistentApps(*snapshot, false));
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
    if (snapshot_.exists() &&
        look(current, expectedPaths, DockSnapshotState::load(*platform_.defaults)) == Sight::users)
        keepUsersArrangement();
}

} // namespace nimbrel
