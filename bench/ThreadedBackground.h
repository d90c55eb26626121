#pragma once

// Virtual time for everything but background work, which runs on a thread of its own as in the
// program, so that what the main thread hands to a worker is not counted as the main thread's.

#include "ProcessorTime.h"
#include "platform/VirtualScheduler.h"

#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace nimbrel::bench {

class ThreadedBackground {
  public:
    explicit ThreadedBackground(VirtualScheduler& time)
        : scheduler(time, [this, &time](std::function<void()> work, std::function<void()> then) {
              workers_.emplace_back([this, &time, work = std::move(work), then = std::move(then)]() mutable {
                  const double start = threadCpuSeconds();
                  work();
                  {
                      std::lock_guard lock(mutex_);
                      workerSeconds_ += threadCpuSeconds() - start;
                  }
                  if (then) time.postFromAnyThread(std::move(then));
              });
          }) {}
    ~ThreadedBackground() { wait(); }

    // Waits for the background work started so far; what it hands back runs at the next advance.
    void wait() {
        for (std::thread& worker : workers_)
            worker.join();
        workers_.clear();
    }
    double takeWorkerSeconds() {
        std::lock_guard lock(mutex_);
        return std::exchange(workerSeconds_, 0.0);
    }

    VirtualTimeWithBackground scheduler;

  private:
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    double workerSeconds_ = 0;
};

} // namespace nimbrel::bench
