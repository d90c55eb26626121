#pragma once

#include "engine/EngineServices.h"
#include "engine/EngineState.h"

namespace nimbrel {

class Input;

// A press held on a tile minimizes all of the app's windows, or restores all of them
// when all were minimized at mouse-down, then closes the menu the Dock opened for the
// held tile with an Escape press.
class LongPressHandler {
  public:
    static constexpr double kTapSuppression = 0.9;
    static constexpr double kDockMenuDismissDelay = 0.15;

    struct Facilities {
        Accessibility& accessibility;
        Workspace& workspace;
        Input& input;
        Scheduler& scheduler;
        Clock& clock;
    };
    LongPressHandler(EngineState& state, Facilities facilities, const EngineServices& services)
        : state_(state), f_(facilities), services_(services) {}

    // `appKey` is the plain app key, also for the Trash tile.
    void handleLongDockClick(const RunningApplication& app, const QString& appKey, const DockTapContext& context);
    void dismissDockMenu();

  private:
    void resetCyclingState(const QString& appKey);

    EngineState& state_;
    Facilities f_;
    const EngineServices& services_;
};

} // namespace nimbrel
