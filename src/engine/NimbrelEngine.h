#pragma once

#include "platform/ProgramIdentity.h"

#include "engine/CyclingSettle.h"
#include "engine/DefaultTapBehavior.h"
#include "engine/DockClickMonitor.h"
#include "engine/DockTileIdentifier.h"
#include "engine/EngineServices.h"
#include "engine/EngineState.h"
#include "engine/FinderRuleGroup.h"
#include "engine/FinderTrashCleanup.h"
#include "engine/LongPressHandler.h"
#include "engine/TapDecision.h"
#include "engine/TapRecognizer.h"
#include "engine/WindowCycler.h"

namespace nimbrel {

struct Platform;

// The Dock-tap engine: owns the engine's state and the parts that watch presses, count
// taps, decide and carry out the default behaviour. One shared instance for the process.
class NimbrelEngine {
  public:
    struct Options {
        EngineServices services;
        RuleActionExecutor* executor = nullptr;
        std::optional<QString> ownBundleIdentifier = kNimbrelBundleIdentifier;
    };

    // Over the platform's facilities (scheduler, clock, defaults, files, workspace,
    // accessibility, input, screens must be set).
    NimbrelEngine(Platform& platform, Options options);
    static NimbrelEngine& shared();
    // The shared engine, made over `platform` when it does not exist yet.
    static NimbrelEngine& shared(Platform& platform);

    NimbrelEngine(const NimbrelEngine&) = delete;
    NimbrelEngine& operator=(const NimbrelEngine&) = delete;

    void startMonitoring() { monitor_.startMonitoring(); }
    const EventMonitorHandle& dockClickMonitor() const { return monitor_.dockClickMonitor(); }

    EngineState& state() { return state_; }
    const EngineState& state() const { return state_; }
    DockClickMonitor& monitor() { return monitor_; }
    DockTileIdentifier& tiles() { return tiles_; }
    TapRecognizer& taps() { return taps_; }
    TapDecision& decision() { return decision_; }
    DefaultTapBehavior& defaultBehavior() { return defaultBehavior_; }
    WindowCycler& cycler() { return cycler_; }
    CyclingSettle& settle() { return settle_; }
    LongPressHandler& longPress() { return longPress_; }
    FinderTrashCleanup& trashCleanup() { return trashCleanup_; }
    const EngineServices& services() const { return services_; }

    // The readers the window manager shares, over the installed platform.
    static std::vector<AXElement> axWindows(const AXElement& element);
    static std::optional<QString> stringAttribute(const QString& name, const AXElement& element);
    static bool boolAttribute(const QString& name, const AXElement& element);
    static std::optional<Point> position(const AXElement& element);
    static std::optional<QString> documentPath(const AXElement& window);
    static QString normalizedPath(const QString& path);
    static std::optional<QString> appKey(const RunningApplication& app);
    static bool isTrashDockTitle(const QString& title);

  private:
    Platform& platform_;
    EngineServices services_;
    EngineState state_;
    DockTileIdentifier tiles_;
    TapRecognizer taps_;
    FinderRuleGroup finderGroups_;
    WindowCycler cycler_;
    CyclingSettle settle_;
    LongPressHandler longPress_;
    FinderTrashCleanup trashCleanup_;
    DefaultTapBehavior defaultBehavior_;
    TapDecision decision_;
    DockClickMonitor monitor_;
};

} // namespace nimbrel
