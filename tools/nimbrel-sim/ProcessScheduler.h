#pragma once

#include "platform/Scheduler.h"

#include <atomic>
#include <memory>
#include <vector>

namespace nimbrel::simtool {

// The scheduler as one process on the simulated Mac sees it: its work runs on the machine's
// scheduler, and when the process ends nothing it scheduled runs any more (timers, delays,
// results of background work), as a process that exits takes its run loop with it.
class ProcessScheduler final : public Scheduler {
  public:
    explicit ProcessScheduler(Scheduler& machine);
    ~ProcessScheduler() override;

    WorkHandle after(double delaySeconds, std::function<void()> work) override;
    WorkHandle every(double intervalSeconds, std::function<void()> work) override;
    void postFromAnyThread(std::function<void()> work) override;
    bool callOnMainThreadAndWait(std::function<void()> work) override;
    void runInBackground(std::function<void()> work, std::function<void()> then) override;

    // The process has ended: its pending work is cancelled and later posts are dropped.
    void end();

  private:
    std::function<void()> whileAlive(std::function<void()> work) const;
    WorkHandle keep(WorkHandle handle);

    Scheduler& machine_;
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
    std::vector<WorkHandle> pending_;
};

} // namespace nimbrel::simtool
