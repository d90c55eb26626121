#include "platform/local/FolderInstanceGuard.h"

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
        const QString path = QFileInfo(folder).canonicalFilePath() + QLatin1Char('/') + kLockFileName;
        if (taken.contains(path)) continue;
        taken.push_back(path);
        held_.push_back(std::make_unique<FileLock>(path, FileLock::Open::creating));
        if (!held_.back()->held()) {
            held_.clear(); // another start came in between
            return false;
        }
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
