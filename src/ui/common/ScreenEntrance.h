#pragma once

#include "platform/Scheduler.h"

#include <functional>

namespace nimbrel {

// A screen's entrance: false until one turn after the screen first appears, so that its first
// frame is drawn hidden and the entrance animation runs; true from then on.
class ScreenEntrance {
  public:
    bool hasAnimatedIn() const { return hasAnimatedIn_; }
    // The screen appeared: the entrance happens one turn later (once); `changed` then runs.
    void begin(Scheduler* scheduler, std::function<void()> changed);

  private:
    bool hasAnimatedIn_ = false;
    Lifetime lifetime_;
};

} // namespace nimbrel
