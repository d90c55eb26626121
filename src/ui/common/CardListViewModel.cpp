#include "ui/common/CardListViewModel.h"

namespace nimbrel {

void CardListViewModel::beginEntrance(Scheduler* scheduler) {
    entrance_.begin(scheduler, [this] { emit hasAnimatedInChanged(); });
}

} // namespace nimbrel
