#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace nimbrel {

// Later launches' requests to the running program, through a Unix socket (mode 0600) that it
// listens on: a launch that connects asks it to come forward, and says nothing more.
class LaunchRequests final {
  public:
    // Listens at `path` (replacing a socket a killed program left there: only the folder's
    // running program may call this) and calls `request` on the main thread for each launch
    // that connects. None when it cannot listen (a path too long for a socket, say).
    static std::unique_ptr<LaunchRequests> listen(const QString& path, std::function<void()> request);
    // How long a launch waits for room in the running program's queue of requests: one that is
    // stopped, or whose main thread is busy, takes none from it, and past a few the queue is full.
    static constexpr int kWaitForRoomMs = 1000;
    // Connects to the program listening at `path`; whether the request reached its queue.
    static bool send(const QString& path);

    ~LaunchRequests();
    LaunchRequests(const LaunchRequests&) = delete;
    LaunchRequests& operator=(const LaunchRequests&) = delete;

  private:
    LaunchRequests(int fd, QString path, std::function<void()> request);
    void acceptPending();

    int fd_;
    QString path_;
    std::function<void()> request_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace nimbrel
