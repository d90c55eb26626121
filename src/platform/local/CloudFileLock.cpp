#include "platform/local/CloudFileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

CloudFileLock::CloudFileLock(QString path) : path_(std::move(path)), encodedPath_(QFile::encodeName(path_)) {}

CloudFileLock::~CloudFileLock() {
    closeFile();
}

bool CloudFileLock::openFile(QString* error) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // Open for writing: where flock is made of byte-range locks (NFS), an exclusive one needs it.
    fd_ = ::open(encodedPath_.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ >= 0) return true;
    *error = QStringLiteral("its lock file %1 could not be made (%2)").arg(path_, systemError(errno));
    return false;
}

bool CloudFileLock::stillAtPath() const {
    struct stat atPath {
    }, locked{};
    return ::stat(encodedPath_.constData(), &atPath) == 0 && ::fstat(fd_, &locked) == 0 &&
           atPath.st_dev == locked.st_dev && atPath.st_ino == locked.st_ino;
}

void CloudFileLock::closeFile() {
    if (fd_ >= 0) ::close(fd_); // which also lets the lock go
    fd_ = -1;
    held_ = false;
}

CloudFileLock::Outcome CloudFileLock::take(Mode mode, const std::function<bool(int)>& keepWaiting, QString* error) {
    const int operation = (mode == Mode::shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    for (int attempts = 0;;) {
        if (fd_ < 0 && !openFile(error)) return Outcome::failed;
        if (::flock(fd_, operation) == 0) {
            if (stillAtPath()) {
                held_ = true;
                return Outcome::taken;
            }
            // A lock on a file no longer at the path keeps nobody out: the one there now is taken.
            closeFile();
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EWOULDBLOCK) {
            *error = QStringLiteral("its lock file %1 could not be locked (%2)").arg(path_, systemError(errno));
            return Outcome::failed;
        }
        if (!keepWaiting(attempts++)) {
            *error = mode == Mode::shared ? QStringLiteral("another process is setting the damaged file aside")
                                          : QStringLiteral("another process is still working in it");
            return Outcome::busy;
        }
    }
}

void CloudFileLock::release() {
    if (!held_) return;
    ::flock(fd_, LOCK_UN);
    held_ = false;
}

} // namespace nimbrel
