#pragma once

#include "engine/DockTileIdentifier.h"
#include "engine/EngineState.h"
#include "engine/TapRecognizer.h"
#include "platform/Input.h"
#include "platform/NotificationCenter.h"

#include <optional>

namespace nimbrel {

// Watches every left press on the screen and lets through, as registered taps, only those
// on an application's Dock tile, with the checks and log lines of each filter.
class DockClickMonitor {
  public:
    static constexpr double kWakeQuietInterval = 1.5;

    struct Facilities {
        Input& input;
        Workspace& workspace;
        Accessibility& accessibility;
        Scheduler& scheduler;
        Clock& clock;
    };

    DockClickMonitor(EngineState& state, Facilities facilities, DockTileIdentifier& tiles, TapRecognizer& taps,
                     std::optional<QString> ownBundleIdentifier)
        : state_(state), f_(facilities), tiles_(tiles), taps_(taps),
          ownBundleIdentifier_(std::move(ownBundleIdentifier)) {}
    // The engine lives as long as the process; an engine made for a while (tests, tools)
    // takes its monitor with it.
    ~DockClickMonitor() {
        if (monitor_) monitor_->remove();
    }
    DockClickMonitor(const DockClickMonitor&) = delete;
    DockClickMonitor& operator=(const DockClickMonitor&) = delete;

    void startMonitoring();
    // The installed monitor, or null until one could be installed.
    const EventMonitorHandle& dockClickMonitor() const { return monitor_; }

    void handleMouseEvent(const MouseEvent& event);
    void handleWake();
    void handleDockMouseDown(Point location);

  private:
    EngineState& state_;
    Facilities f_;
    DockTileIdentifier& tiles_;
    TapRecognizer& taps_;
    std::optional<QString> ownBundleIdentifier_;
    EventMonitorHandle monitor_;
    ObserverToken wakeObserver_;
    Lifetime lifetime_;
};

} // namespace nimbrel
