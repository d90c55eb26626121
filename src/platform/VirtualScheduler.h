#pragma once

#include "platform/MainThreadCalls.h"
#include "platform/Scheduler.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace nimbrel {

class WorkerThreads;

// Where a virtual-time scheduler runs background work.
enum class BackgroundWork {
    atOnce,    // on the calling thread, at once: tests stay deterministic
    onThreads, // on real worker threads, side by side, as the program runs it
};

// onThreads when NIMBREL_BACKGROUND_THREADS is set to 1 (a test binary's second, threaded
// run), atOnce otherwise.
BackgroundWork backgroundWorkFromEnvironment();

// Virtual time for tests and the scenario runner: nothing runs until the test
// advances the clock; due work runs in order of due time, then of scheduling.
// With BackgroundWork::onThreads, background work runs on worker threads while the main thread
// goes on, and its `then` is posted back when it is done. The clock never moves on while a
// worker runs or its result waits: advancing first runs what is due now, and with nothing left
// due now waits for the workers, running what they post (their results, their calls to the
// main thread) as it arrives. Destruction waits for the workers and drops their results.
class VirtualScheduler final : public Scheduler, public Clock {
  public:
    explicit VirtualScheduler(Date start = Date{0}, BackgroundWork background = backgroundWorkFromEnvironment());
    ~VirtualScheduler() override;

    Date now() const override { return now_; }

    WorkHandle after(double delaySeconds, std::function<void()> work) override;
    WorkHandle every(double intervalSeconds, std::function<void()> work) override;
    void postFromAnyThread(std::function<void()> work) override;
    // A call from another thread (a worker's) waits for the test to advance, or for an advance
    // that is waiting for the workers, and fails once the scheduler goes.
    bool callOnMainThreadAndWait(std::function<void()> work) override;
    void runInBackground(std::function<void()> work, std::function<void()> then) override;

    // Moves time forward by `seconds`, running everything that falls due on the way,
    // including work scheduled by that work when it is due within the same span.
    void advance(double seconds);
    // Runs what is due now (delay 0 work) without moving time.
    void runUntilIdle() { advance(0); }
    // Sets the clock (forward only) running what falls due.
    void advanceTo(Date date);
    // The machine sleeps for `seconds`: the clock moves on and nothing runs; every pending
    // piece of work falls due that much later, since timers count only time awake.
    void sleep(double seconds);

    BackgroundWork backgroundWork() const { return background_; }

    // Pending work, counting each background work whose result has yet to come back.
    size_t pendingCount() const;
    // Seconds until the next pending work, or nullopt when none; 0 while a worker runs or what
    // another thread posted waits.
    std::optional<double> nextDueIn() const;

  private:
    struct Entry;
    void drainPosted();
    bool dueNow() const;
    bool waitForBackground();

    Date now_;
    uint64_t sequence_ = 0;
    std::multimap<std::pair<double, uint64_t>, std::shared_ptr<Entry>> queue_;
    mutable std::mutex postedMutex_;
    std::condition_variable postedOrDone_;
    std::deque<std::function<void()>> posted_;
    size_t running_ = 0; // background work whose result is not posted yet
    std::thread::id mainThread_ = std::this_thread::get_id();
    MainThreadCalls crossThreadCalls_;
    const BackgroundWork background_;
    std::unique_ptr<WorkerThreads> workers_; // last: its threads reach the members above
};

// Virtual time whose background work goes where its owner says instead of running at once: to
// a real thread (benchmarks, which count the main thread's time apart) or held until a test
// runs it (in the order the test chooses).
class VirtualTimeWithBackground final : public Scheduler {
  public:
    using Background = std::function<void(std::function<void()> work, std::function<void()> then)>;
    VirtualTimeWithBackground(VirtualScheduler& time, Background background)
        : time_(time), background_(std::move(background)) {}

    WorkHandle after(double delaySeconds, std::function<void()> work) override {
        return time_.after(delaySeconds, std::move(work));
    }
    WorkHandle every(double intervalSeconds, std::function<void()> work) override {
        return time_.every(intervalSeconds, std::move(work));
    }
    void postFromAnyThread(std::function<void()> work) override { time_.postFromAnyThread(std::move(work)); }
    bool callOnMainThreadAndWait(std::function<void()> work) override {
        return time_.callOnMainThreadAndWait(std::move(work));
    }
    void runInBackground(std::function<void()> work, std::function<void()> then) override {
        background_(std::move(work), std::move(then));
    }

  private:
    VirtualScheduler& time_;
    Background background_;
};

} // namespace nimbrel
