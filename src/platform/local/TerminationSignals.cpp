#include "platform/local/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrel {

const int TerminationSignals::kHandled[3] = {SIGINT, SIGTERM, SIGHUP};

namespace {

int gSignalPair[2] = {-1, -1}; // [0] read by the notifier, [1] written by the handler
struct sigaction gPrevious[3];
struct sigaction gPreviousPipe;

// Only async-signal-safe calls here.
extern "C" void writeSignalNumber(int number) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(gSignalPair[1], &byte, 1); // full: one is already waiting
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> received) : received_(std::move(received)) {
    if (gSignalPair[0] >= 0) return; // another one is in place
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalPair) != 0) {
        gSignalPair[0] = gSignalPair[1] = -1;
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(gSignalPair[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readPending(); });

    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kHandled[i], &action, &gPrevious[i]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &gPreviousPipe);
    active_ = true;
}

TerminationSignals::~TerminationSignals() {
    if (!active_) return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kHandled[i], &gPrevious[i], nullptr);
    ::sigaction(SIGPIPE, &gPreviousPipe, nullptr);
    notifier_.reset();
    ::close(gSignalPair[0]);
    ::close(gSignalPair[1]);
    gSignalPair[0] = gSignalPair[1] = -1;
}

void TerminationSignals::readPending() {
    unsigned char numbers[64];
    for (;;) {
        const ssize_t n = ::read(gSignalPair[0], numbers, sizeof numbers);
        if (n <= 0) return; // drained (EAGAIN) or closed
        for (ssize_t i = 0; i < n; ++i)
            if (received_) received_(numbers[i]);
    }
}

} // namespace nimbrel
