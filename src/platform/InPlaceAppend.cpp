#include "platform/InPlaceAppend.h"

#include "platform/FileLock.h"
#include "platform/Files.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace nimbrel {

namespace {

constexpr qint64 kSectorSize = 512;

std::mutex gHookMutex;
FileChangeHook gHook;

void reached(const QString& realPath, FileChangeStage stage) {
    FileChangeHook hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gHook;
    }
    if (hook) hook(realPath, stage);
}

bool writeAllAt(int fd, const char* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

} // namespace

FileChangeHook setFileChangeHookForTesting(FileChangeHook hook) {
    std::lock_guard lock(gHookMutex);
    return std::exchange(gHook, std::move(hook));
}

InPlaceAppend appendBeforeEnd(const QString& realPath, const FileStamp& expected, const QByteArray& end,
                              const QByteArray& text) {
    InPlaceAppend out;
    const auto failed = [&out, &realPath](const QString& what) {
        out.result = InPlaceAppend::Result::failed;
        out.error = QStringLiteral("%1 %2: %3").arg(what, realPath, QString::fromLocal8Bit(std::strerror(errno)));
        return out;
    };
    if (auto injected = injectedWriteFault(realPath)) {
        out.result = InPlaceAppend::Result::failed;
        out.error = *injected;
        return out;
    }
    const qint64 endAt = expected.size - end.size();
    if (end.isEmpty() || text.size() <= end.size() || endAt < 0 ||
        endAt / kSectorSize != (expected.size - 1) / kSectorSize)
        return out;

    reached(realPath, FileChangeStage::beforeLock);
    const FileLock lock(realPath);
    if (!lock.stillAtPath()) return out;
    const int fd = lock.descriptor();
    if (openFileStamp(fd) != expected) return out;
    QByteArray last(end.size(), Qt::Uninitialized);
    if (::pread(fd, last.data(), size_t(last.size()), off_t(endAt)) != last.size() || last != end) return out;

    reached(realPath, FileChangeStage::checked);
    if (!writeAllAt(fd, text.constData() + end.size(), text.size() - end.size(), expected.size))
        return failed(QStringLiteral("cannot add to"));
    if (::fdatasync(fd) != 0) return failed(QStringLiteral("cannot flush"));
    reached(realPath, FileChangeStage::betweenWrites);
    // The one write that makes the new bytes part of the contents.
    if (!writeAllAt(fd, text.constData(), end.size(), endAt)) return failed(QStringLiteral("cannot add to"));
    if (::fdatasync(fd) != 0) return failed(QStringLiteral("cannot flush"));
    const std::optional<FileStamp> stamp = openFileStamp(fd);
    if (!stamp) return failed(QStringLiteral("cannot read the state of"));
    // A whole rewrite by another writer does not wait for the lock: one that replaced the file
    // meanwhile took these bytes with the file it set aside.
    if (!lock.stillAtPath()) return out;
    out.result = InPlaceAppend::Result::appended;
    out.stamp = *stamp;
    return out;
}

std::optional<FileStamp> replaceWhole(const QString& realPath, const QByteArray& text, QString* error) {
    // An addition that takes the lock after this one finds the file replaced.
    const FileLock lock(realPath);
    FileStamp written;
    if (!writeFileAtomically(realPath, text, error, -1, &written)) return std::nullopt;
    reached(realPath, FileChangeStage::replaced);
    return written;
}

} // namespace nimbrel
