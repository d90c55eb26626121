#include "engine/TapRecognizer.h"

#include "engine/DockTitles.h"
#include "platform/Log.h"

#include <algorithm>

namespace nimbrel {

void TapRecognizer::registerDockTap(const RunningApplication& app, const DockTapContext& context) {
    const auto key = appKeyFor(app);
    if (!key) return;

    if (auto it = state_.ruleTriggeredSuppressUntilByAppKey.find(*key);
        it != state_.ruleTriggeredSuppressUntilByAppKey.end()) {
        if (it->second > clock_.now()) {
            logLine(QStringLiteral("NimbrelRules"),
                    QStringLiteral("suppressing duplicate Dock tap after rule execution for ") + *key);
            return;
        }
        state_.ruleTriggeredSuppressUntilByAppKey.erase(it);
    }

    int count = 1;
    DockTapContext burstContext = context;
    if (auto it = state_.pendingDockTapByAppKey.find(*key); it != state_.pendingDockTapByAppKey.end()) {
        if (it->second.workItem) it->second.workItem->cancel();
        count = it->second.clickCount + 1;
        burstContext = it->second.context;
    }
    count = std::min(count, kMaxClickCount);

    const QString appKey = *key;
    WorkHandle work = scheduler_.after(kCoalescingInterval, lifetime_.guard([this, appKey, app, burstContext, count] {
        firePendingDockTap(appKey, app, burstContext, count);
    }));
    state_.pendingDockTapByAppKey[appKey] = PendingDockTap{app, burstContext, count, work};
}

void TapRecognizer::firePendingDockTap(const QString& appKey, const RunningApplication& app,
                                       const DockTapContext& context, int clickCount) {
    state_.pendingDockTapByAppKey.erase(appKey);
    state_.lastDockClickDateByAppKey[appKey] = clock_.now();
    if (onTap_) onTap_(app, context, clickCount);
}

void TapRecognizer::scheduleLongPressCheck(const Uuid& token) {
    scheduler_.after(EngineState::longDockClickDuration, lifetime_.guard([this, token] { checkLongDockPress(token); }));
}

void TapRecognizer::checkLongDockPress(const Uuid& token) {
    if (!state_.activeDockPress || state_.activeDockPress->token != token || !state_.isPrimaryMouseButtonDown) return;
    const ActiveDockPress press = *state_.activeDockPress;
    state_.activeDockPress.reset();
    if (auto it = state_.pendingDockTapByAppKey.find(press.appKey); it != state_.pendingDockTapByAppKey.end()) {
        if (it->second.workItem) it->second.workItem->cancel();
        state_.pendingDockTapByAppKey.erase(it);
    }
    if (onLongPress_) onLongPress_(press.runningApp, press.appKey, press.context);
}

} // namespace nimbrel
