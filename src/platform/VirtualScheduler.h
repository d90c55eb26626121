#pragma once

#include "platform/MainThreadCalls.h"
#include "platform/Scheduler.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace nimbrel {

// Virtual time for tests and the scenario runner: nothing runs until the test
// advances the clock; due work runs in order of due time, then of scheduling.
class VirtualScheduler final : public Scheduler, public Clock {
  public:
    explicit VirtualScheduler(Date start = Date{0});
    ~VirtualScheduler() override;

    Date now() const override { return now_; }

    WorkHandle after(double delaySeconds, std::function<void()> work) override;
    WorkHandle every(double intervalSeconds, std::function<void()> work) override;
    void postFromAnyThread(std::function<void()> work) override;
    // Background work runs on the main thread here, so its calls run at once; a call from
    // another thread waits for the test to advance (and fails once the scheduler goes).
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

    size_t pendingCount() const;
    // Seconds until the next pending work, or nullopt when none.
    std::optional<double> nextDueIn() const;

  private:
    struct Entry;
    void drainPosted();

    Date now_;
    uint64_t sequence_ = 0;
    std::multimap<std::pair<double, uint64_t>, std::shared_ptr<Entry>> queue_;
    mutable std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
    std::thread::id mainThread_ = std::this_thread::get_id();
    MainThreadCalls crossThreadCalls_;
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
