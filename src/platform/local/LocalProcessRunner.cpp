#include "platform/local/LocalProcessRunner.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nimbrel {

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void closeRead() {
        if (read >= 0) ::close(read);
        read = -1;
    }
    void closeWrite() {
        if (write >= 0) ::close(write);
        write = -1;
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
};

QString describe(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads both pipes until each reports its end; a pipe of -1 is not watched.
void drain(int outFd, int errFd, QByteArray& out, QByteArray& err) {
    char buffer[65536];
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    QByteArray* sinks[2] = {&out, &err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, n);
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1; // end of output (or a broken pipe): stop watching it
            }
        }
    }
}

} // namespace

ProcessResult LocalProcessRunner::run(const QString& executable, const QStringList& arguments,
                                      StandardErrorHandling standardError) {
    ProcessResult result;
    const bool captureError = standardError == StandardErrorHandling::capture;
    Pipe out;
    Pipe err;
    if (!out.open() || (captureError && !err.open())) {
        result.launchError = describe(errno);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    if (captureError)
        posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    const QByteArray program = executable.toLocal8Bit();
    std::vector<QByteArray> storage;
    storage.reserve(static_cast<size_t>(arguments.size()));
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.constData()));
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.launchError = describe(spawned);
        return result;
    }
    result.launched = true;
    // Only the child keeps the writing ends, so its exit ends the reads.
    out.closeWrite();
    err.closeWrite();

    drain(out.read, err.read, result.standardOutput, result.standardError);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.terminationStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace nimbrel
