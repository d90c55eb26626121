#include "engine/FinderTrashCleanup.h"

#include "engine/AxReaders.h"
#include "engine/DockTitles.h"
#include "engine/WindowActions.h"

namespace nimbrel {

void FinderTrashCleanup::scheduleFinderTrashCleanup(const RunningApplication& finder, const DockTapContext& context) {
    if (!context.allWindowsMinimizedBeforeClick()) return;
    const Date scheduled = clock_.now();
    const QString key = finder.bundleIdentifier.value_or(QString());
    scheduler_.after(kCleanupDelay, lifetime_.guard([this, key, scheduled, finder] {
        minimizeFinderTrashWindows(key, scheduled, finder);
    }));
}

void FinderTrashCleanup::minimizeFinderTrashWindows(const QString& key, Date since, const RunningApplication& finder) {
    if (const auto it = state_.lastDockClickDateByAppKey.find(key);
        it != state_.lastDockClickDateByAppKey.end() && it->second > since)
        return;
    for (const AXElement& window : AxReaders::realWindows(ax_, finder)) {
        const auto title = AxReaders::stringAttribute(ax_, QStringLiteral("AXTitle"), window);
        if (title && isTrashDockTitle(*title) && !AxReaders::isMinimized(ax_, window))
            WindowActions::setMinimized(ax_, window, true);
    }
}

} // namespace nimbrel
