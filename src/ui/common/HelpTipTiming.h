#pragma once

#include "platform/Scheduler.h"

#include <functional>

namespace nimbrel {

// When a help tip is up: from a moment after the pointer came over its item until the pointer
// leaves it or the item moves or goes out of sight. Once gone, it comes back only when the
// pointer moves over the item again, so nothing shows for what scrolls under a resting pointer.
class HelpTipTiming {
  public:
    static constexpr double kDelaySeconds = 1.0;

    // `mayShow` is asked once the moment is over (whether the item is still where the pointer
    // came to it); `changed` runs when the tip comes or goes. Without a scheduler it never comes.
    HelpTipTiming(Scheduler* scheduler, std::function<bool()> mayShow, std::function<void()> changed);
    ~HelpTipTiming();
    HelpTipTiming(const HelpTipTiming&) = delete;
    HelpTipTiming& operator=(const HelpTipTiming&) = delete;

    // The pointer moved, came or went: `over` tells whether it now lies over the item.
    void pointerAt(bool over);
    // The item moved or went out of sight.
    void dismiss();

    bool idle() const { return state_ == State::idle; }
    bool shown() const { return state_ == State::shown; }

  private:
    enum class State { idle, waiting, shown };
    void set(State state);

    Scheduler* scheduler_;
    std::function<bool()> mayShow_;
    std::function<void()> changed_;
    State state_ = State::idle;
    WorkHandle delay_;
    Lifetime lifetime_;
};

} // namespace nimbrel
