#include "platform/local/ScriptedUpdateFramework.h"

#include "platform/Scheduler.h"

namespace nimbrel {

void ScriptedUpdateFramework::startUpdater(UpdaterDelegate* delegate) {
    delegate_ = delegate;
    started_ = true;
    ++starts_;
}

void ScriptedUpdateFramework::setAutomaticallyChecksForUpdates(bool on) {
    automaticChecks_ = on;
    automaticWrites_.push_back(on);
}

void ScriptedUpdateFramework::checkForUpdates() {
    ++checks_;
    Result result = default_;
    if (!queued_.empty()) {
        result = std::move(queued_.front());
        queued_.pop_front();
    }
    // The delegate is looked up when the answer arrives: it may have been replaced meanwhile.
    scheduler_.post(lifetime_.guard([this, result] {
        if (!delegate_) return;
        delegate_->didFinishLoadingAppcast();
        switch (result.outcome) {
        case Outcome::noUpdate:
            delegate_->updaterDidNotFindUpdate();
            delegate_->didFinishUpdateCycle(UpdateCheckKind::updates, std::nullopt);
            break;
        case Outcome::updateFound:
            delegate_->didFindValidUpdate(result.item);
            delegate_->didFinishUpdateCycle(UpdateCheckKind::updates, std::nullopt);
            break;
        case Outcome::failure:
            delegate_->didAbortWithError(result.error);
            delegate_->didFinishUpdateCycle(UpdateCheckKind::updates, result.error);
            break;
        }
    }));
}

} // namespace nimbrel
