#include "platform/InPlaceAppend.h"

#include "platform/Files.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {

namespace {

constexpr qint64 kSectorSize = 512;

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

    const int fd = ::open(QFile::encodeName(realPath).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return out;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || stampOf(st) != expected) return out;
    QByteArray last(end.size(), Qt::Uninitialized);
    if (::pread(fd, last.data(), size_t(last.size()), off_t(endAt)) != last.size() || last != end) return out;

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
