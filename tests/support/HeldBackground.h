#pragma once

#include "platform/VirtualScheduler.h"

#include <functional>
#include <vector>

namespace nimbrel::test {

// Background work held until the test runs it, in the order it chooses; what it hands back
// comes on the next turn.
struct HeldBackground {
    explicit HeldBackground(VirtualScheduler& time)
        : scheduler(time, [this, &time](std::function<void()> work, std::function<void()> then) {
              held.push_back([&time, work = std::move(work), then = std::move(then)] {
                  work();
                  if (then) time.post(then);
              });
          }) {}
    std::vector<std::function<void()>> held;
    VirtualTimeWithBackground scheduler;
};

} // namespace nimbrel::test
