#pragma once

#include "platform/Scheduler.h"

#include <QObject>

#include <memory>

class QThreadPool;

namespace nimbrel {

class SystemClock final : public Clock {
  public:
    Date now() const override;
};

// The program's scheduler: Qt's event loop on the main thread. Create it on the main
// thread, with a QCoreApplication (or a subclass) in place; work runs while the loop runs.
// Timers are precise (the tap rules count tenths of a second). Work still pending when the
// scheduler is destroyed never runs; background work already started is waited for. When the
// application's loop stops, workers waiting for the main thread are released (their calls fail).
class EventLoopScheduler final : public Scheduler {
  public:
    EventLoopScheduler();
    ~EventLoopScheduler() override;
    EventLoopScheduler(const EventLoopScheduler&) = delete;
    EventLoopScheduler& operator=(const EventLoopScheduler&) = delete;

    WorkHandle after(double delaySeconds, std::function<void()> work) override;
    WorkHandle every(double intervalSeconds, std::function<void()> work) override;
    void postFromAnyThread(std::function<void()> work) override;
    bool callOnMainThreadAndWait(std::function<void()> work) override;
    void runInBackground(std::function<void()> work, std::function<void()> then) override;

    // The end of the main thread's part in other threads' work, for a program that is
    // quitting: waiting workers are released, later posts from workers and the `then`s of
    // background work are dropped, and the background work still running is waited for.
    // Main-thread scheduling goes on working. Destruction stops too.
    void stop();

    struct Shared; // what worker threads may still reach after the scheduler is gone

  private:
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<QObject> context_; // lives on the main thread; owns the timers
    std::unique_ptr<QThreadPool> pool_;
};

} // namespace nimbrel
