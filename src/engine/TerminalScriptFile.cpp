#include "engine/TerminalScriptFile.h"

#include "platform/Uuid.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel::terminalscriptfile {

namespace {

QString describeErrno(const char* what, int error) {
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(error)));
}

bool writeAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

std::optional<QString> create(const QString& folder, const QByteArray& contents, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return std::nullopt;
    };
    if (folder.isEmpty()) return fail(QStringLiteral("The private temporary folder is not available."));
    const QString path = folder + QStringLiteral("/nimbrel_") + Uuid::random().toString() + QStringLiteral(".sh");
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    if (fd < 0) return fail(describeErrno("Could not create the script file", errno));
    // The umask can only take bits away; set exactly 0700 on the open file itself.
    bool ok = ::fchmod(fd, 0700) == 0;
    int failure = errno;
    if (ok) {
        ok = writeAll(fd, contents) && ::fsync(fd) == 0;
        failure = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(native.constData());
        return fail(describeErrno("Could not write the script file", failure));
    }
    return path;
}

void remove(const QString& path) {
    ::unlink(QFile::encodeName(path).constData());
}

} // namespace nimbrel::terminalscriptfile
