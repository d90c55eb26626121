#pragma once

#include "engine/EngineServices.h"
#include "engine/EngineState.h"

#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

class FileSystem;

// Brings a frontmost app's next window forward, in an order kept per app that does not
// change when the system reorders its window list.
class WindowCycler {
  public:
    // Called after a cycle step brought `window` forward (the settle step hooks in here).
    using AfterCycle =
        std::function<void(const RunningApplication& app, const QString& appKey, const AXElement& window)>;
    using CancelSettle = std::function<void(const QString& appKey)>;

    WindowCycler(EngineState& state, Accessibility& ax, Workspace& workspace, const FileSystem& files, Clock& clock,
                 const EngineServices& services)
        : state_(state), ax_(ax), workspace_(workspace), files_(files), clock_(clock), services_(services) {}

    void setAfterCycle(AfterCycle hook) { afterCycle_ = std::move(hook); }
    void setCancelSettle(CancelSettle hook) { cancelSettle_ = std::move(hook); }

    void cycleWindows(const std::vector<AXElement>& windows, std::optional<AXElement> focused,
                      const RunningApplication& app, const QString& appKey);
    // With the minimized ones among `windows` already read by the caller.
    void cycleWindows(const std::vector<AXElement>& windows, const std::vector<AXElement>& minimized,
                      std::optional<AXElement> focused, const RunningApplication& app, const QString& appKey);

    QString windowCycleKey(const AXElement& window) const;
    std::vector<AXElement> stableCycleOrder(const std::vector<AXElement>& windows, const QString& appKey);
    std::optional<AXElement> nextWindowInCycle(const QString& appKey, const std::vector<AXElement>& ordered,
                                               const std::optional<AXElement>& current);
    void recordCycleIndex(const QString& appKey, const AXElement& window, const std::vector<AXElement>& ordered);
    bool isFreshFinderDockActivation(const RunningApplication& app, const QString& appKey,
                                     const AXElement& window) const;

    static constexpr double kFreshFinderActivationWindow = 0.7;

  private:
    void bringForward(const RunningApplication& app, const QString& appKey, const AXElement& window);
    std::optional<AXElement> lastRestoredIn(const QString& appKey, const std::vector<AXElement>& list) const;

    EngineState& state_;
    Accessibility& ax_;
    Workspace& workspace_;
    const FileSystem& files_;
    Clock& clock_;
    const EngineServices& services_;
    AfterCycle afterCycle_;
    CancelSettle cancelSettle_;
};

} // namespace nimbrel
