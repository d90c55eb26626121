#include "platform/local/CloudFileLock.h"

#include <QDir>
#include <QFileInfo>

namespace nimbrel {

CloudFileLock::Outcome CloudFileLock::take(Mode mode, const std::function<bool(int)>& keepWaiting, QString* error) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    for (int attempts = 0;;) {
        lock_.emplace(path_, FileLock::Open::creating, mode);
        if (lock_->held() && taken_) taken_();
        // A lock on a file no longer at the path keeps nobody out: the one there now is taken.
        if (lock_->held() && lock_->stillAtPath()) return Outcome::taken;
        const bool failed = !lock_->held() && !lock_->heldElsewhere();
        if (failed) *error = QStringLiteral("its lock file %1 could not be taken (%2)").arg(path_, lock_->failure());
        lock_.reset();
        if (failed) return Outcome::failed;
        if (!keepWaiting(attempts++)) {
            *error = mode == Mode::shared ? QStringLiteral("another process is setting the damaged file aside")
                                          : QStringLiteral("another process is still working in it");
            return Outcome::busy;
        }
    }
}

} // namespace nimbrel
