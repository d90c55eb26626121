#include "engine/LongPressHandler.h"

#include "engine/AxReaders.h"
#include "engine/CyclingSettle.h"
#include "engine/DockTitles.h"
#include "engine/WindowActions.h"
#include "model/AppCapabilities.h"
#include "platform/Input.h"
#include "platform/Log.h"

namespace nimbrel {

void LongPressHandler::handleLongDockClick(const RunningApplication& app, const QString& appKey,
                                           const DockTapContext& context) {
    Accessibility& ax = f_.accessibility;
    std::vector<AXElement> windows = AxReaders::realWindows(ax, app);
    if (app.bundleIdentifier == kFinderBundleIdentifier) {
        const bool trashTile = context.dockTitle && isTrashDockTitle(*context.dockTitle);
        windows = AxReaders::finderWindows(ax, windows, trashTile);
    }
    // One window is what a plain tap is for; the Dock's menu is left to the user too.
    if (windows.size() < 2) return;

    if (auto it = state_.pendingDockTapByAppKey.find(appKey); it != state_.pendingDockTapByAppKey.end()) {
        if (it->second.workItem) it->second.workItem->cancel();
        state_.pendingDockTapByAppKey.erase(it);
    }
    state_.ruleTriggeredSuppressUntilByAppKey[appKey] = f_.clock.now().addingSeconds(kTapSuppression);
    resetCyclingState(appKey);

    const QString count = QString::number(windows.size());
    const QString name = app.localizedName.value_or(QStringLiteral("app"));
    const QString logName = app.localizedName.value_or(appKey);
    const auto record = [this](const QString& title, const QString& message) {
        if (services_.recordActivity) services_.recordActivity(NimbrelActivityType::info, title, message);
    };

    if (context.allWindowsMinimizedBeforeClick()) {
        for (const AXElement& w : windows)
            WindowActions::setMinimized(ax, w, false);
        f_.workspace.activate(app.pid);
        dismissDockMenu();
        record(QStringLiteral("Windows Restored"), QStringLiteral("Long Dock click restored ") + count +
                                                       QLatin1Char(' ') + name + QStringLiteral(" windows."));
        logLine(QStringLiteral("NimbrelEngine"),
                QStringLiteral("long Dock click restored ") + count + QStringLiteral(" windows for ") + logName);
        return;
    }

    for (const AXElement& w : windows)
        if (!AxReaders::isMinimized(ax, w)) WindowActions::setMinimized(ax, w, true);
    dismissDockMenu();
    record(QStringLiteral("Windows Minimized"), QStringLiteral("Long Dock click minimized ") + count +
                                                    QLatin1Char(' ') + name + QStringLiteral(" windows."));
    logLine(QStringLiteral("NimbrelEngine"),
            QStringLiteral("long Dock click minimized ") + count + QStringLiteral(" windows for ") + logName);
}

void LongPressHandler::resetCyclingState(const QString& appKey) {
    state_.appFocusedByNimbrelByAppKey.remove(appKey);
    state_.nextWindowIndexByApp[appKey] = 0;
    state_.singleWindowNextActionByAppKey.erase(appKey);
    CyclingSettle::cancel(state_, appKey);
}

void LongPressHandler::dismissDockMenu() {
    // Holds nothing of the engine: the key press is wanted even if the engine is gone.
    Input* input = &f_.input;
    f_.scheduler.after(kDockMenuDismissDelay, [input] {
        if (!input->postKeyEvent(kEscapeKeyCode, true)) return;
        input->postKeyEvent(kEscapeKeyCode, false);
    });
}

} // namespace nimbrel
