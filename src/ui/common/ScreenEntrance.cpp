#include "ui/common/ScreenEntrance.h"

#include <utility>

namespace nimbrel {

void ScreenEntrance::begin(Scheduler* scheduler, std::function<void()> changed) {
    if (hasAnimatedIn_ || !scheduler) return;
    scheduler->post(lifetime_.guard([this, changed = std::move(changed)] {
        if (hasAnimatedIn_) return;
        hasAnimatedIn_ = true;
        if (changed) changed();
    }));
}

} // namespace nimbrel
