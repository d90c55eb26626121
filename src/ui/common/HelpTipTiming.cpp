#include "ui/common/HelpTipTiming.h"

#include <utility>

namespace nimbrel {

HelpTipTiming::HelpTipTiming(Scheduler* scheduler, std::function<bool()> mayShow, std::function<void()> changed)
    : scheduler_(scheduler), mayShow_(std::move(mayShow)), changed_(std::move(changed)) {}

HelpTipTiming::~HelpTipTiming() {
    if (delay_) delay_->cancel();
}

void HelpTipTiming::pointerAt(bool over) {
    if (!over) {
        dismiss();
        return;
    }
    if (state_ != State::idle || !scheduler_) return;
    set(State::waiting);
    delay_ = scheduler_->after(kDelaySeconds, lifetime_.guard([this] {
        delay_.reset();
        set(mayShow_() ? State::shown : State::idle);
    }));
}

void HelpTipTiming::dismiss() {
    if (delay_) delay_->cancel();
    delay_.reset();
    set(State::idle);
}

void HelpTipTiming::set(State state) {
    const bool wasShown = shown();
    state_ = state;
    if (wasShown != shown()) changed_();
}

} // namespace nimbrel
