#pragma once

#include "platform/Scheduler.h"
#include "platform/UpdateFramework.h"

#include <deque>
#include <vector>

namespace nimbrel {

// The update framework on this machine: there is no update feed, so a check answers with
// a result that tests and the simulated Mac script (no update unless told otherwise).
// Callbacks run on the main thread through the scheduler, never inside checkForUpdates().
class ScriptedUpdateFramework final : public UpdateFramework {
  public:
    enum class Outcome { noUpdate, updateFound, failure };

    struct Result {
        Outcome outcome = Outcome::noUpdate;
        UpdateItem item;   // for updateFound
        UpdateError error; // for failure
    };

    explicit ScriptedUpdateFramework(Scheduler& scheduler) : scheduler_(scheduler) {}

    void startUpdater(UpdaterDelegate* delegate) override;
    void setDelegate(UpdaterDelegate* delegate) override { delegate_ = delegate; }
    bool isStarted() const override { return started_; }
    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() const override { return automaticChecks_; }
    void setAutomaticallyChecksForUpdates(bool on) override;

    // The answer of the next check; when none is queued, `defaultResult` answers.
    void enqueueResult(Result result) { queued_.push_back(std::move(result)); }
    void setDefaultResult(Result result) { default_ = std::move(result); }

    int checkCount() const { return checks_; }
    int startCount() const { return starts_; }
    // Every value handed to setAutomaticallyChecksForUpdates, in order.
    const std::vector<bool>& automaticCheckWrites() const { return automaticWrites_; }

  private:
    Scheduler& scheduler_;
    UpdaterDelegate* delegate_ = nullptr;
    bool started_ = false;
    bool automaticChecks_ = false;
    int checks_ = 0;
    int starts_ = 0;
    std::vector<bool> automaticWrites_;
    std::deque<Result> queued_;
    Result default_;
    Lifetime lifetime_;
};

} // namespace nimbrel
