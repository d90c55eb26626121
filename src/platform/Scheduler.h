#pragma once

#include "platform/Date.h"

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace nimbrel {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

// A cancellable piece of scheduled work. Cancelling is idempotent; a handle that
// is dropped does NOT cancel its work (like a dispatched work item).
class ScheduledWork {
  public:
    virtual ~ScheduledWork() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};
using WorkHandle = std::shared_ptr<ScheduledWork>;

// Everything runs on the main thread through this. Delays are in seconds.
class Scheduler {
  public:
    virtual ~Scheduler() = default;

    // Runs `work` once, `delaySeconds` from now (0 = on the next turn of the loop).
    virtual WorkHandle after(double delaySeconds, std::function<void()> work) = 0;
    // Runs `work` every `intervalSeconds` until cancelled.
    virtual WorkHandle every(double intervalSeconds, std::function<void()> work) = 0;
    // Thread-safe: hands `work` to the main thread. With the next call, the only ones allowed
    // off the main thread.
    virtual void postFromAnyThread(std::function<void()> work) = 0;
    // From a worker: runs `work` on the main thread and waits for it; on the main thread it
    // runs at once. False, with `work` not run, once the main thread takes no more work (its
    // loop has stopped): the caller then fails with an error of its own, and never hangs.
    virtual bool callOnMainThreadAndWait(std::function<void()> work) = 0;

    WorkHandle post(std::function<void()> work) { return after(0, std::move(work)); }

    // Runs `work` on a worker thread and `then` with its result on the main thread.
    // The virtual-time scheduler runs `work` inline, so tests stay deterministic, or on worker
    // threads where a test asks for the program's concurrency. Background work may use the
    // installed platform's facilities: the program ends it (and drops the `then`s still to
    // come) before it takes them down.
    virtual void runInBackground(std::function<void()> work, std::function<void()> then) = 0;
};

// Delayed steps hold their owner weakly: wrap a member call so it does nothing once
// the owner is gone. Usage: scheduler.after(0.12, weakly(self, [](Owner& o) { ... }));
template <typename Owner, typename Fn> std::function<void()> weakly(const std::shared_ptr<Owner>& owner, Fn fn) {
    std::weak_ptr<Owner> weak = owner;
    return [weak, fn = std::move(fn)]() mutable {
        if (auto strong = weak.lock()) fn(*strong);
    };
}

// Hands `value` to a worker to be freed there: thousands of small blocks (a pull's records) take
// the main thread milliseconds to give back. What it shares with the main thread must be shared
// thread-safely, as Qt's implicitly shared values are. Without a scheduler it is freed here.
template <typename T> void releaseInBackground(Scheduler* scheduler, T&& value) {
    static_assert(!std::is_lvalue_reference_v<T>, "the value is given up: pass it with std::move");
    auto held = std::make_shared<std::optional<std::decay_t<T>>>(std::move(value));
    if (!scheduler) return;
    scheduler->runInBackground([held] { held->reset(); }, {});
}

// A liveness token for objects not owned by shared_ptr: the object keeps a
// `Lifetime` member; callbacks capture `lifetime.watch()` and check it first.
class Lifetime {
  public:
    Lifetime() : token_(std::make_shared<int>(0)) {}
    Lifetime(const Lifetime&) : token_(std::make_shared<int>(0)) {}
    Lifetime& operator=(const Lifetime&) { return *this; }
    std::weak_ptr<int> watch() const { return token_; }

    template <typename Fn> std::function<void()> guard(Fn fn) const {
        std::weak_ptr<int> weak = token_;
        return [weak, fn = std::move(fn)]() mutable {
            if (!weak.expired()) fn();
        };
    }

  private:
    std::shared_ptr<int> token_;
};

} // namespace nimbrel
