#include "platform/FileLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {

FileLock::FileLock(const QString& realPath, Open open, Mode mode) : path_(realPath) {
    fd_ = ::open(QFile::encodeName(realPath).constData(),
                 O_RDWR | O_CLOEXEC | O_NOFOLLOW | (open == Open::creating ? O_CREAT : 0), 0600);
    if (fd_ < 0) {
        failure_ = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    // Never waits: a writer that holds the lock is changing the file, so whatever this one
    // would check would no longer hold; a program that holds it is running.
    int locked;
    do {
        locked = ::flock(fd_, (mode == Mode::shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    held_ = locked == 0;
    busy_ = !held_ && errno == EWOULDBLOCK;
    if (!held_ && !busy_) failure_ = QString::fromLocal8Bit(std::strerror(errno));
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_); // which also lets the lock go
}

bool FileLock::stillAtPath() const {
    struct stat atPath {
    }, locked{};
    return held_ && ::stat(QFile::encodeName(path_).constData(), &atPath) == 0 && ::fstat(fd_, &locked) == 0 &&
           atPath.st_dev == locked.st_dev && atPath.st_ino == locked.st_ino;
}

} // namespace nimbrel
