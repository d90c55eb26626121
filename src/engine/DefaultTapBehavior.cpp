#include "engine/DefaultTapBehavior.h"

#include "engine/AxReaders.h"
#include "engine/WindowActions.h"

#include <algorithm>

namespace nimbrel {

void DefaultTapBehavior::handle(const Tap& tap) {
    const auto& windows = tap.windows;
    if (windows.empty()) {
        workspace_.activate(tap.app.pid);
        return;
    }
    if (windows.size() != 1) state_.singleWindowNextActionByAppKey.erase(tap.appKey);

    std::vector<AXElement> visible, minimized;
    std::optional<AXElement> focused;
    for (const AXElement& w : windows) {
        (AxReaders::isMinimized(ax_, w) ? minimized : visible).push_back(w);
        if (!focused && AxReaders::isFocused(ax_, w)) focused = w;
    }

    const NimbrelBehaviorMode mode = services_.behaviorMode();
    const DockTapContext& context = tap.context;

    if (mode == NimbrelBehaviorMode::restore) {
        if (context.wasFrontmostBeforeClick && context.visibleWindowCountBeforeClick > 0) {
            const std::optional<AXElement> target = focused           ? focused
                                                    : visible.empty() ? std::nullopt
                                                                      : std::optional<AXElement>(visible.front());
            if (target) WindowActions::setMinimized(ax_, *target, true);
        } else {
            state_.activeDockPress.reset();
        }
        return;
    }

    // Automatic and cycling alike from here; disabled never reaches the default behaviour.
    if (context.windowCountBeforeClick == 0) {
        const AXElement target = !visible.empty() ? visible.front() : minimized.front();
        bringForward(tap.app, tap.appKey, target);
        state_.appFocusedByNimbrelByAppKey.insert(tap.appKey);
        if (windows.size() == 1) state_.singleWindowNextActionByAppKey[tap.appKey] = SingleWindowNextAction::minimize;
        state_.activeDockPress.reset();
        return;
    }

    if (context.wasFrontmostBeforeClick) {
        if (windows.size() == 1)
            handleSingleWindowTap(windows.front(), tap.app, tap.appKey, context);
        else if (cycle_)
            cycle_(windows, minimized, focused, tap.app, tap.appKey);
        scheduleTrashCleanup(tap);
        return;
    }

    AXElement target;
    if (focused) {
        target = *focused;
    } else if (auto it = state_.lastRestoredWindowByApp.find(tap.appKey);
               it != state_.lastRestoredWindowByApp.end() &&
               std::find(visible.begin(), visible.end(), it->second) != visible.end()) {
        target = it->second;
    } else {
        target = !visible.empty() ? visible.front() : minimized.front();
    }
    bringForward(tap.app, tap.appKey, target);
    state_.appFocusedByNimbrelByAppKey.insert(tap.appKey);
    if (windows.size() == 1) state_.singleWindowNextActionByAppKey[tap.appKey] = SingleWindowNextAction::minimize;
    scheduleTrashCleanup(tap);
    if (!context.allWindowsMinimizedBeforeClick()) state_.activeDockPress.reset();
}

void DefaultTapBehavior::handleSingleWindowTap(const AXElement& window, const RunningApplication& app,
                                               const QString& appKey, const DockTapContext& context) {
    if (services_.behaviorMode() == NimbrelBehaviorMode::cycling) {
        bringForward(app, appKey, window);
        state_.singleWindowNextActionByAppKey.erase(appKey);
        state_.appFocusedByNimbrelByAppKey.insert(appKey);
        return;
    }

    const bool allMinimizedBefore = context.allWindowsMinimizedBeforeClick();
    if (allMinimizedBefore) state_.singleWindowNextActionByAppKey[appKey] = SingleWindowNextAction::minimize;

    auto& actions = state_.singleWindowNextActionByAppKey;
    if (auto it = actions.find(appKey); it != actions.end()) {
        if (it->second == SingleWindowNextAction::minimize && !allMinimizedBefore &&
            !AxReaders::isMinimized(ax_, window)) {
            WindowActions::setMinimized(ax_, window, true);
            it->second = SingleWindowNextAction::restore;
        } else {
            bringForward(app, appKey, window);
            it->second = SingleWindowNextAction::minimize;
        }
        state_.appFocusedByNimbrelByAppKey.remove(appKey);
        return;
    }

    if (!allMinimizedBefore && !AxReaders::isMinimized(ax_, window) && context.wasFrontmostBeforeClick) {
        state_.appFocusedByNimbrelByAppKey.remove(appKey);
        WindowActions::setMinimized(ax_, window, true);
        actions[appKey] = SingleWindowNextAction::restore;
    } else {
        bringForward(app, appKey, window);
        actions[appKey] = SingleWindowNextAction::minimize;
        state_.appFocusedByNimbrelByAppKey.insert(appKey);
    }
}

void DefaultTapBehavior::bringForward(const RunningApplication& app, const QString& appKey, const AXElement& window) {
    WindowActions::bringForward(ax_, workspace_, app, window);
    state_.lastRestoredWindowByApp[appKey] = window;
}

void DefaultTapBehavior::scheduleTrashCleanup(const Tap& tap) {
    if (tap.isFinder && !tap.isTrashTarget && trashCleanup_) trashCleanup_(tap.app, tap.context);
}

} // namespace nimbrel
