#include "platform/local/LaunchRequests.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace nimbrel {

namespace {

std::optional<sockaddr_un> addressOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return address;
}

} // namespace

std::unique_ptr<LaunchRequests> LaunchRequests::listen(const QString& path, std::function<void()> request) {
    const auto address = addressOf(path);
    if (!address) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    ::unlink(address->sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::chmod(address->sun_path, 0600) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<LaunchRequests>(new LaunchRequests(fd, path, std::move(request)));
}

bool LaunchRequests::send(const QString& path) {
    const auto address = addressOf(path);
    if (!address) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // A connection to a full queue waits for room as long as a send would, so this bounds it.
    const timeval wait{kWaitForRoomMs / 1000, (kWaitForRoomMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    int connected;
    do {
        connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    } while (connected != 0 && errno == EINTR);
    ::close(fd);
    return connected == 0;
}

LaunchRequests::LaunchRequests(int fd, QString path, std::function<void()> request)
    : fd_(fd), path_(std::move(path)), request_(std::move(request)),
      notifier_(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read)) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { acceptPending(); });
}

LaunchRequests::~LaunchRequests() {
    notifier_.reset();
    ::close(fd_);
    ::unlink(QFile::encodeName(path_).constData());
}

void LaunchRequests::acceptPending() {
    for (;;) {
        const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR) continue;
            return; // none left waiting
        }
        ::close(connection);
        if (request_) request_();
    }
}

} // namespace nimbrel
