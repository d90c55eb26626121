#include "engine/CyclingSettle.h"

#include "engine/AxReaders.h"
#include "engine/DockTitles.h"
#include "engine/WindowActions.h"
#include "model/AppCapabilities.h"
#include "platform/Log.h"

namespace nimbrel {

void CyclingSettle::scheduleCyclingSettle(const RunningApplication& app, const QString& appKey,
                                          const AXElement& window) {
    cancel(appKey);
    if (!services_.minimizeAfterCycle || !services_.minimizeAfterCycle()) return;
    // Only the last of several quick cycle taps settles.
    state_.cyclingSettleWorkItems[appKey] = scheduler_.after(kSettleDelay, lifetime_.guard([this, app, appKey, window] {
        state_.cyclingSettleWorkItems.erase(appKey);
        settleCycling(app, appKey, window);
    }));
}

void CyclingSettle::cancel(EngineState& state, const QString& appKey) {
    const auto it = state.cyclingSettleWorkItems.find(appKey);
    if (it == state.cyclingSettleWorkItems.end()) return;
    if (it->second) it->second->cancel();
    state.cyclingSettleWorkItems.erase(it);
}

bool CyclingSettle::isStillFrontmost(const RunningApplication& app) const {
    const auto frontmost = workspace_.frontmostApplication();
    if (!frontmost) return false;
    // Two apps without a bundle identifier are only the same app when they are the same process.
    if (!frontmost->bundleIdentifier && !app.bundleIdentifier) return frontmost->pid == app.pid;
    return frontmost->bundleIdentifier == app.bundleIdentifier;
}

void CyclingSettle::settleCycling(const RunningApplication& app, const QString& appKey, const AXElement& window) {
    if (!isStillFrontmost(app)) return;
    if (AxReaders::isMinimized(ax_, window)) return;

    std::vector<AXElement> windows = AxReaders::realWindows(ax_, app);
    const bool trashKey = appKey.endsWith(kTrashKeySuffix);
    if (trashKey || app.bundleIdentifier == kFinderBundleIdentifier)
        windows = AxReaders::finderWindows(ax_, windows, trashKey);

    std::vector<AXElement> others;
    for (const AXElement& w : windows)
        if (w != window && !AxReaders::isMinimized(ax_, w)) others.push_back(w);
    if (others.empty()) return;

    for (const AXElement& w : others)
        WindowActions::setMinimized(ax_, w, true);

    const QString count = QString::number(others.size());
    logLine(QStringLiteral("NimbrelEngine"), QStringLiteral("cycling settled — minimized ") + count +
                                                 QStringLiteral(" background window(s) for ") +
                                                 app.localizedName.value_or(appKey));
    if (services_.recordActivity)
        services_.recordActivity(NimbrelActivityType::info, QStringLiteral("Cycling Settled"),
                                 QStringLiteral("Minimized ") + count + QStringLiteral(" background ") +
                                     app.localizedName.value_or(QStringLiteral("app")) + QStringLiteral(" window") +
                                     (others.size() == 1 ? QString() : QStringLiteral("s")) +
                                     QStringLiteral(" after settling."));
}

} // namespace nimbrel
