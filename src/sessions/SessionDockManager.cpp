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

// Whether the Dock as read (none: unreadable) shows something else than `dock`. A Dock that
// cannot be read is never taken for a change.
bool showsOtherThan(const std::optional<QStringList>& current, const QStringList& dock) {
    return current && !sameDockPaths(*current, dock);
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

bool NimbrelSessionDockManager::applySessionDock(const NimbrelSession& session) {
    if (isApplyingDock_) return true;
    isApplyingDock_ = true;
    // The Dock becomes a session's again: what a restore's check would find is no longer its doing.
    if (restoreCheck_) restoreCheck_->cancel();
    const std::vector<NimbrelSessionApp> apps = deduplicatedApps(session.allowedApps);
    bool finderSelected = false;
    QStringList paths;
    for (const NimbrelSessionApp& app : apps) {
        finderSelected = finderSelected || app.identityKey() == kFinderIdentityKey;
        if (auto path = dockPath(app)) paths << *path;
    }
    const UsersDock users = captureOriginalSnapshot(paths);
    if (!users.keptSafe) {
        isApplyingDock_ = false;
        return false;
    }
    // The Dock becomes a session's: a restore waiting since the last one is no longer left for the user.
    forgetUnrestoredDock();
    logLine(kLog, QStringLiteral("applying Dock paths=") + quotedPathList(paths));
    record(false, QStringLiteral("Dock Replaced"),
           QStringLiteral("Session Dock was applied with %1 selected apps.").arg(apps.size()));
    // Remembered before the Dock shows it. A session Dock equal to the user's own is the user's.
    const QStringList toWrite = writableDockPaths(paths);
    rememberWrittenSessionDock(users.paths && sameDockPaths(*users.paths, toWrite) ? std::nullopt
                                                                                   : std::optional(toWrite));
    const QStringList written = writePersistentApps(paths, finderSelected);
    platform_.scheduler->after(kVerificationDelay,
                               weakly(shared_from_this(), [written](NimbrelSessionDockManager& manager) {
                                   manager.verifySessionDockApply(written);
                               }));
    isApplyingDock_ = false;
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
    std::optional<QStringList> paths;
    bool reported = false;
    if (name && isStoppedSnapshotName(*name)) {
        SessionSnapshotFile kept(platform_, *name, dockSnapshotReporting());
        reported = kept.exists(); // one that cannot be read is reported as it is read
        paths = loadDockPaths(kept, nullptr);
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
    platform_.defaults->remove(kStoppedSnapshotKey);
    // The Dock showing then was the session's: a change of it since is the user's.
    if (const std::optional<QStringList> written = writtenSessionDock())
        platform_.defaults->setStringArray(kUnrestoredDockKey, *written);
    logLine(kLog, QStringLiteral("took back the original Dock snapshot kept as ") + *name);
    return paths;
}

std::optional<QStringList> NimbrelSessionDockManager::writtenSessionDock() const {
    return platform_.defaults->stringArrayValue(kWrittenSessionDockKey);
}

void NimbrelSessionDockManager::rememberWrittenSessionDock(const std::optional<QStringList>& paths) {
    if (paths)
        platform_.defaults->setStringArray(kWrittenSessionDockKey, *paths);
    else if (platform_.defaults->contains(kWrittenSessionDockKey))
        platform_.defaults->remove(kWrittenSessionDockKey);
}

bool NimbrelSessionDockManager::changedSinceUnrestored(const std::optional<QStringList>& current) const {
    const std::optional<QStringList> unrestored = platform_.defaults->stringArrayValue(kUnrestoredDockKey);
    return unrestored && showsOtherThan(current, *unrestored);
}

void NimbrelSessionDockManager::forgetUnrestoredDock() {
    if (platform_.defaults->contains(kUnrestoredDockKey)) platform_.defaults->remove(kUnrestoredDockKey);
}

void NimbrelSessionDockManager::dropSnapshot() {
    snapshot_.remove();
    forgetUnrestoredDock();
}

bool NimbrelSessionDockManager::restoreCheckPending() const {
    return restoreCheck_ && !restoreCheck_->isCancelled();
}

bool NimbrelSessionDockManager::usersCopyIsLost() {
    const std::optional<QStringList> written = writtenSessionDock();
    if (!written || showsOtherThan(readDockPaths(), *written)) return false;
    return !loadOriginalSnapshot();
}

NimbrelSessionDockManager::UsersDock
NimbrelSessionDockManager::captureOriginalSnapshot(const QStringList& sessionPaths) {
    bool blocked = false;
    const std::optional<QStringList> existing = loadOriginalSnapshot(&blocked);
    const std::optional<QStringList> written = writtenSessionDock();
    const std::optional<QStringList> current = readDockPaths();
    if (existing) {
        // The only copy of the user's Dock stays until it is back in the Dock, whatever session
        // follows; only a snapshot of a Dock this manager wrote is no Dock from before, and one
        // already written back is the user's no more once they have changed the Dock since.
        if (written && sameDockPaths(*existing, *written)) {
            logLine(kLog, QStringLiteral("existing Dock snapshot matches session Dock; deleting unsafe snapshot"));
            dropSnapshot();
        } else if (changedSinceUnrestored(current)) {
            logLine(kLog, QStringLiteral("Dock was changed since the original Dock was written back; dropping its "
                                         "snapshot"));
            dropSnapshot();
        } else {
            return {true, existing};
        }
    } else if (blocked) {
        return {false, std::nullopt}; // the user's Dock could not be kept safe
    }
    if (!current) {
        logLine(kLog, QStringLiteral("skipped original Dock snapshot because current Dock cannot be read"));
        return {true, std::nullopt};
    }
    if (written && sameDockPaths(*current, *written)) {
        logLine(kLog, QStringLiteral("skipped original Dock snapshot because current Dock is a session Dock"));
        return {true, std::nullopt};
    }
    if (sameDockPaths(*current, sessionPaths)) {
        logLine(kLog,
                QStringLiteral("skipped original Dock snapshot because current Dock already matches session Dock"));
        return {true, current};
    }
    // An empty Dock is the user's too, and comes back empty.
    if (snapshot_.write(QJsonArray::fromStringList(*current))) {
        logLine(kLog, QStringLiteral("captured original Dock snapshot paths=") + quotedPathList(*current));
        return {true, current};
    }
    // Replacing the Dock now would lose the user's own; the next apply tries again.
    return {false, std::nullopt};
}

QStringList NimbrelSessionDockManager::currentDockPaths() const {
    return readDockPaths().value_or(QStringList());
}

std::optional<QStringList> NimbrelSessionDockManager::readDockPaths() const {
    const std::optional<QVariantMap> domain = platform_.dockPreferences->persistentDomain();
    if (!domain || !domain->contains(kDockPersistentAppsKey)) return QStringList();
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

void NimbrelSessionDockManager::restoreOriginalDock() {
    bool blocked = false;
    const std::optional<QStringList> snapshot = loadOriginalSnapshot(&blocked);
    const std::optional<QStringList> current = readDockPaths();
    std::optional<QStringList> sessionDock = writtenSessionDock();
    // A restore again before the last one's check: that check's knowledge carries over.
    if (restoreCheckPending()) {
        if (!sessionDock) sessionDock = restoredOver_;
        restoreCheck_->cancel();
    }
    // From here on the Dock is the user's again; a snapshot that is unreadable and stuck in
    // place keeps the session Dock known, so that it is never captured as theirs.
    if (!blocked) rememberWrittenSessionDock(std::nullopt);
    if (!snapshot) {
        if (sessionDock && !showsOtherThan(current, *sessionDock))
            logLine(kLog, QStringLiteral("cannot restore original Dock because its snapshot is missing"));
        return;
    }
    if (current && sameDockPaths(*current, *snapshot)) {
        logLine(kLog, QStringLiteral("Dock already matches original snapshot, skipping restart"));
        dropSnapshot();
        return;
    }
    if (changedSinceUnrestored(current)) {
        logLine(kLog, QStringLiteral("Dock was changed since the original Dock was written back; keeping it and "
                                     "dropping the snapshot"));
        dropSnapshot();
        return;
    }
    logLine(kLog, QStringLiteral("restoring original Dock paths=") + quotedPathList(*snapshot));
    record(false, QStringLiteral("Dock Restored"),
           QStringLiteral("Default Dock was restored with %1 apps.").arg(snapshot->size()));
    const QStringList written = writePersistentApps(*snapshot, false);
    restoredOver_ = sessionDock;
    restoreCheck_ = platform_.scheduler->after(
        kVerificationDelay, weakly(shared_from_this(), [written, sessionDock](NimbrelSessionDockManager& manager) {
            manager.verifyOriginalDockRestore(written, sessionDock);
        }));
}

// Checked against what the write put in the Dock, so a snapshot holding Finder or a repeated
// path is put back once and then dropped, not kept and rewritten at every restore.
void NimbrelSessionDockManager::verifyOriginalDockRestore(const QStringList& expectedPaths,
                                                          const std::optional<QStringList>& sessionDock) {
    const std::optional<QStringList> current = readDockPaths();
    if (current && sameDockPaths(*current, expectedPaths)) {
        logLine(kLog, QStringLiteral("verified original Dock restore"));
        dropSnapshot();
        return;
    }
    logLine(kLog, QStringLiteral("warning restore verification did not match expected original Dock"));
    record(true, QStringLiteral("Dock Restore Verification Failed"),
           QStringLiteral("The current Dock did not match the saved original Dock."));
    if (sessionDock && showsOtherThan(current, *sessionDock)) {
        // Neither what was written back nor the session's: the user changed the Dock after the
        // restore took, and what it shows now is theirs, to be captured at the next session.
        logLine(kLog, QStringLiteral("Dock was changed after the restore; keeping it and dropping the snapshot"));
        dropSnapshot();
        return;
    }
    if (!snapshot_.exists()) return; // someone else took it away meanwhile: nothing waits
    // The restore did not take: the snapshot waits for the next restore, and until then the Dock
    // showing is still the session's, never the user's.
    if (sessionDock && !writtenSessionDock()) rememberWrittenSessionDock(sessionDock);
    if (const std::optional<QStringList> left = current ? current : sessionDock)
        platform_.defaults->setStringArray(kUnrestoredDockKey, *left);
}

} // namespace nimbrel
