#pragma once

#include "engine/EngineState.h"

namespace nimbrel {

// Restoring Finder from the Dock when all its windows were minimized brings a Trash
// window back with the one wanted; this minimizes such Trash windows again shortly after.
class FinderTrashCleanup {
  public:
    static constexpr double kCleanupDelay = 0.08;

    FinderTrashCleanup(EngineState& state, Accessibility& ax, Scheduler& scheduler, Clock& clock)
        : state_(state), ax_(ax), scheduler_(scheduler), clock_(clock) {}

    // After a default-behaviour tap on the Finder tile (not the Trash); does nothing unless
    // every Finder window was minimized at mouse-down.
    void scheduleFinderTrashCleanup(const RunningApplication& finder, const DockTapContext& context);
    // `key` is Finder's app key; a Finder tap that fired after `since` makes this a no-op.
    void minimizeFinderTrashWindows(const QString& key, Date since, const RunningApplication& finder);

  private:
    EngineState& state_;
    Accessibility& ax_;
    Scheduler& scheduler_;
    Clock& clock_;
    Lifetime lifetime_;
};

} // namespace nimbrel
