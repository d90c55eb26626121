#include "platform/local/FolderInstanceGuard.h"

#include "platform/Log.h"

#include <QDir>
#include <QFileInfo>

namespace nimbrel {

FolderInstanceGuard::FolderInstanceGuard(const Locations& locations)
    : folders_{QDir::cleanPath(locations.preferences), QDir::cleanPath(locations.nimbrelSupportFolder())} {}

bool FolderInstanceGuard::claim() {
    if (!held_.empty()) return true;
    // First only look: a start that finds another running makes no file and no folder.
    for (const QString& folder : folders_)
        if (FileLock(folder + QLatin1Char('/') + kLockFileName).heldElsewhere()) return false;
    QStringList taken;
    for (const QString& folder : folders_) {
        QDir().mkpath(folder);
        // One lock for one folder named twice (the preferences kept among the data).
        const QString real = QFileInfo(folder).canonicalFilePath();
        const QString path = real + QLatin1Char('/') + kLockFileName;
        if (!real.isEmpty() && taken.contains(path)) continue;
        taken.push_back(path);
        auto lock = real.isEmpty() ? nullptr : std::make_unique<FileLock>(path, FileLock::Open::creating);
        if (lock && lock->heldElsewhere()) {
            held_.clear(); // another start came in between
            return false;
        }
        // A lock that cannot be made (a folder that cannot be made or written, a file system
        // without locks) says nothing of another start: refusing would keep Nimbrel from ever
        // starting, so this start runs, unguarded there.
        if (!lock || !lock->held()) {
            logLine(QStringLiteral("NimbrelApp"),
                    QStringLiteral("Cannot lock %1 (%2); a second start on it is not refused")
                        .arg(folder, lock ? lock->failure() : QStringLiteral("the folder cannot be made")));
            continue;
        }
        held_.push_back(std::move(lock));
    }
    return true;
}

QString FolderInstanceGuard::socketPath() const {
    return folders_.back() + QLatin1Char('/') + kSocketFileName;
}

bool FolderInstanceGuard::askRunningToComeForward() {
    return LaunchRequests::send(socketPath());
}

bool FolderInstanceGuard::answerRequests(std::function<void()> comeForward) {
    if (held_.empty()) return false;
    requests_ = LaunchRequests::listen(socketPath(), std::move(comeForward));
    return requests_ != nullptr;
}

} // namespace nimbrel
