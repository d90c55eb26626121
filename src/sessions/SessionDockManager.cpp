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
    return loadDockPaths(snapshot_, blocked);
}

std::optional<QStringList> NimbrelSessionDockManager::bringBackStoppedSnapshot() {
    const std::optional<QString> aside = platform_.defaults->stringValue(kStoppedSnapshotKey);
    if (!aside || !stillStopped(currentDockPaths())) return std::nullopt;
    std::optional<QStringList> paths;
    // Only a name this manager gives: a stored value never leads to a file elsewhere.
    if (aside->startsWith(kSnapshotFileName + QLatin1Char('.') + kUnrestoredAsideReason + QLatin1Char('-')) &&
        !aside->contains(QLatin1Char('/'))) {
        SessionSnapshotFile kept(platform_, *aside, dockSnapshotReporting());
        paths = loadDockPaths(kept, nullptr);
    }
    if (!paths) {
        // The Dock showing stays a session's all the same: it is never kept as the user's.
        logLine(kLog, QStringLiteral("cannot bring back the original Dock snapshot kept as ") + *aside);
        platform_.defaults->remove(kStoppedSnapshotKey);
        return std::nullopt;
    }
    if (!snapshot_.write(QJsonArray::fromStringList(*paths))) return std::nullopt; // tried again at the next apply
    logLine(kLog, QStringLiteral("Dock still shows the session Dock written over the original; brought back the "
                                 "snapshot kept as ") +
                      *aside);
    return paths;
}

bool NimbrelSessionDockManager::stillStopped(const QStringList& current) {
    if (!platform_.defaults->contains(kStoppedSnapshotKey)) return false;
    const std::optional<QStringList> written = writtenSessionDock();
    if (written && sameDockPaths(current, *written)) return true;
    logLine(kLog, QStringLiteral("Dock was changed since restoring the original Dock stopped; keeping it"));
    platform_.defaults->remove(kStoppedSnapshotKey);
    rememberWrittenSessionDock(std::nullopt);
    return false;
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

bool NimbrelSessionDockManager::changedSinceUnrestored(const QStringList& current,
                                                       const std::optional<QStringList>& sessionDock) const {
    const std::optional<QStringList> unrestored = platform_.defaults->stringArrayValue(kUnrestoredDockKey);
    if (!unrestored) return false; // never written back: the user has not seen it yet
    return !sameDockPaths(current, sessionDock ? *sessionDock : *unrestored);
}

void NimbrelSessionDockManager::forgetUnrestoredDock() {
    if (platform_.defaults->contains(kUnrestoredDockKey)) platform_.defaults->remove(kUnrestoredDockKey);
}

void NimbrelSessionDockManager::dropSnapshot() {
    snapshot_.remove();
    forgetUnrestoredDock();
    if (platform_.defaults->contains(kStoppedSnapshotKey)) platform_.defaults->remove(kStoppedSnapshotKey);
}

bool NimbrelSessionDockManager::restoreCheckPending() const {
    return restoreCheck_ && !restoreCheck_->isCancelled();
}

bool NimbrelSessionDockManager::usersCopyIsLost() {
    const std::optional<QStringList> written = writtenSessionDock();
    if (!written || !sameDockPaths(currentDockPaths(), *written)) return false;
    // Kept aside when its restore stopped: the next session brings it back.
    if (platform_.defaults->contains(kStoppedSnapshotKey)) return false;
    return !loadOriginalSnapshot();
}

NimbrelSessionDockManager::UsersDock
NimbrelSessionDockManager::captureOriginalSnapshot(const QStringList& sessionPaths) {
    bool blocked = false;
    std::optional<QStringList> existing = loadOriginalSnapshot(&blocked);
    if (!existing && !blocked) existing = bringBackStoppedSnapshot();
    const std::optional<QStringList> written = writtenSessionDock();
    if (existing) {
        // The only copy of the user's Dock stays until it is back in the Dock, whatever session
        // follows; only a snapshot of a Dock this manager wrote is no Dock from before, and one
        // already written back is the user's no more once they have changed the Dock since.
        if (written && sameDockPaths(*existing, *written)) {
            logLine(kLog, QStringLiteral("existing Dock snapshot matches session Dock; deleting unsafe snapshot"));
            dropSnapshot();
        } else if (changedSinceUnrestored(currentDockPaths(), written)) {
            logLine(kLog, QStringLiteral("Dock was changed since the original Dock was written back; dropping its "
                                         "snapshot"));
            dropSnapshot();
        } else {
            return {true, existing};
        }
    } else if (blocked) {
        return {false, std::nullopt}; // the user's Dock could not be kept safe
    }
    const std::optional<QStringList> current = readDockPaths();
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
        forgetUnrestoredDock();
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
    const QStringList current = currentDockPaths();
    // Nothing is written back while stopped: the next session keeps the user's Dock and ends with it.
    if (!snapshot && !blocked && stillStopped(current)) return;
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
        if (sessionDock && sameDockPaths(current, *sessionDock))
            logLine(kLog, QStringLiteral("cannot restore original Dock because its snapshot is missing"));
        return;
    }
    if (sameDockPaths(current, *snapshot)) {
        logLine(kLog, QStringLiteral("Dock already matches original snapshot, skipping restart"));
        dropSnapshot();
        return;
    }
    if (changedSinceUnrestored(current, sessionDock)) {
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
    const QStringList current = currentDockPaths();
    if (sameDockPaths(current, expectedPaths)) {
        logLine(kLog, QStringLiteral("verified original Dock restore"));
        dropSnapshot();
        return;
    }
    logLine(kLog, QStringLiteral("warning restore verification did not match expected original Dock"));
    record(true, QStringLiteral("Dock Restore Verification Failed"),
           QStringLiteral("The current Dock did not match the saved original Dock."));
    if (sessionDock && !sameDockPaths(current, *sessionDock)) {
        // Neither what was written back nor the session's: the user changed the Dock after the
        // restore took, and what it shows now is theirs, to be captured at the next session.
        logLine(kLog, QStringLiteral("Dock was changed after the restore; keeping it and dropping the snapshot"));
        dropSnapshot();
        return;
    }
    if (!snapshot_.exists()) return; // someone else took it away meanwhile: nothing waits
    // The restore did not take: the snapshot waits for another try, unless the last try ended
    // the same way, when trying again would only restart the Dock once more.
    const std::optional<QStringList> unrestored = platform_.defaults->stringArrayValue(kUnrestoredDockKey);
    if (unrestored && sameDockPaths(current, *unrestored)) {
        keepUnrestoredSnapshotAside(current);
        return;
    }
    platform_.defaults->setStringArray(kUnrestoredDockKey, current);
    if (sessionDock && !writtenSessionDock()) rememberWrittenSessionDock(sessionDock);
}

void NimbrelSessionDockManager::keepUnrestoredSnapshotAside(const QStringList& current) {
    const std::optional<QString> kept = snapshot_.keepAside(kUnrestoredAsideReason);
    if (!kept) return; // still where it was: tried again at the next restore
    forgetUnrestoredDock();
    // What the Dock shows is still what was written over the user's, never their Dock; on disk
    // at once, so that a crash before the next write does not forget it.
    rememberWrittenSessionDock(current);
    platform_.defaults->setString(kStoppedSnapshotKey, *kept);
    platform_.defaults->synchronize();
    logLine(kLog, QStringLiteral("restore verification failed the same way again; stopped restoring the original "
                                 "Dock and kept its snapshot as ") +
                      *kept);
    record(true, QStringLiteral("Dock Restore Stopped"),
           QStringLiteral("The saved original Dock did not come back after two tries, so Nimbrel stopped writing "
                          "it back. It is kept as \u201c%1\u201d in the Nimbrel folder.")
               .arg(*kept));
}

} // namespace nimbrel
