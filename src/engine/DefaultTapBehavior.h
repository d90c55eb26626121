#pragma once

#include "engine/EngineServices.h"
#include "engine/EngineState.h"

#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

// What a tap that nothing else took does: minimize, restore, alternate a single window,
// or hand a frontmost app with several windows to the cycle step, by the behaviour mode.
class DefaultTapBehavior {
  public:
    struct Tap {
        RunningApplication app;
        QString appKey; // "#Trash" appended for the Trash tile
        DockTapContext context;
        std::vector<AXElement> windows;
        bool isFinder = false;
        bool isTrashTarget = false;
    };
    // `minimized` are those of `windows` that were minimized when the tap read them.
    using CycleStep =
        std::function<void(const std::vector<AXElement>& windows, const std::vector<AXElement>& minimized,
                           std::optional<AXElement> focused, const RunningApplication& app, const QString& appKey)>;
    using TrashCleanup = std::function<void(const RunningApplication& app, const DockTapContext& context)>;

    DefaultTapBehavior(EngineState& state, Accessibility& ax, Workspace& workspace, const EngineServices& services)
        : state_(state), ax_(ax), workspace_(workspace), services_(services) {}

    void setCycleStep(CycleStep step) { cycle_ = std::move(step); }
    void setTrashCleanup(TrashCleanup cleanup) { trashCleanup_ = std::move(cleanup); }

    void handle(const Tap& tap);
    void handleSingleWindowTap(const AXElement& window, const RunningApplication& app, const QString& appKey,
                               const DockTapContext& context);

  private:
    void bringForward(const RunningApplication& app, const QString& appKey, const AXElement& window);
    void scheduleTrashCleanup(const Tap& tap);

    EngineState& state_;
    Accessibility& ax_;
    Workspace& workspace_;
    const EngineServices& services_;
    CycleStep cycle_;
    TrashCleanup trashCleanup_;
};

} // namespace nimbrel
