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
InPlaceAppendHook gHook;

void callHook(const QString& realPath) {
    InPlaceAppendHook hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gHook;
    }
    if (hook) hook(realPath);
}

FileStamp stampOf(const struct stat& st) {
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
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

InPlaceAppendHook setInPlaceAppendHookForTesting(InPlaceAppendHook hook) {
    std::lock_guard lock(gHookMutex);
    return std::exchange(gHook, std::move(hook));
}

std::optional<FileStamp> fileStamp(const QString& realPath) {
    struct stat st {};
    if (::stat(QFile::encodeName(realPath).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampOf(st);
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

    const FileLock lock(realPath);
    if (!lock.stillAtPath()) return out;
    const int fd = lock.descriptor();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || stampOf(st) != expected) return out;
    QByteArray last(end.size(), Qt::Uninitialized);
    if (::pread(fd, last.data(), size_t(last.size()), off_t(endAt)) != last.size() || last != end) return out;

    callHook(realPath);
    if (!writeAllAt(fd, text.constData() + end.size(), text.size() - end.size(), expected.size))
        return failed(QStringLiteral("cannot add to"));
    if (::fdatasync(fd) != 0) return failed(QStringLiteral("cannot flush"));
    // The one write that makes the new bytes part of the contents.
    if (!writeAllAt(fd, text.constData(), end.size(), endAt)) return failed(QStringLiteral("cannot add to"));
    if (::fdatasync(fd) != 0 || ::fstat(fd, &st) != 0) return failed(QStringLiteral("cannot flush"));
    out.result = InPlaceAppend::Result::appended;
    out.stamp = stampOf(st);
    return out;
}

} // namespace nimbrel
