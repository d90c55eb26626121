#pragma once

#include "engine/EngineServices.h"
#include "engine/EngineState.h"

namespace nimbrel {

// After a cycle step brought a window forward, minimizes the app's other windows a
// while later, once the user has stopped cycling, when minimize-after-cycle is on.
class CyclingSettle {
  public:
    static constexpr double kSettleDelay = 3.0;

    CyclingSettle(EngineState& state, Accessibility& ax, Workspace& workspace, Scheduler& scheduler,
                  const EngineServices& services)
        : state_(state), ax_(ax), workspace_(workspace), scheduler_(scheduler), services_(services) {}

    // Re-arms the app's settle step for `window`, or only cancels it when the setting is off
    // (the setting is read afresh on every cycle step).
    void scheduleCyclingSettle(const RunningApplication& app, const QString& appKey, const AXElement& window);
    void cancel(const QString& appKey) { cancel(state_, appKey); }
    static void cancel(EngineState& state, const QString& appKey);
    // The settle step itself: `window` is the one the cycle step brought forward.
    void settleCycling(const RunningApplication& app, const QString& appKey, const AXElement& window);

  private:
    bool isStillFrontmost(const RunningApplication& app) const;

    EngineState& state_;
    Accessibility& ax_;
    Workspace& workspace_;
    Scheduler& scheduler_;
    const EngineServices& services_;
    Lifetime lifetime_;
};

} // namespace nimbrel
