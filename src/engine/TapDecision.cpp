#include "engine/TapDecision.h"

#include "engine/AxReaders.h"
#include "engine/DockTitles.h"
#include "model/AppCapabilities.h"
#include "platform/Log.h"

namespace nimbrel {

namespace {

QString flag(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}
void rulesLog(const QString& message) {
    logLine(QStringLiteral("NimbrelRules"), message);
}

} // namespace

void TapDecision::handleDockTap(const RunningApplication& app, const DockTapContext& context, int clickCount) {
    if (!f_.accessibility.isProcessTrusted()) return;
    if (isBlacklisted(app)) return;
    auto key = appKeyFor(app);
    if (!key) return;

    if (services_.behaviorMode() == NimbrelBehaviorMode::disabled) {
        // A held press gives no long press either.
        state_.activeDockPress.reset();
        return;
    }

    const bool isFinder = app.bundleIdentifier == kFinderBundleIdentifier;
    const bool isTrashTarget = isFinder && context.dockTitle && isTrashDockTitle(*context.dockTitle);
    if (isTrashTarget) *key += kTrashKeySuffix;

    std::vector<AXElement> windows = AxReaders::realWindows(f_.accessibility, app);
    if (isFinder) {
        logRaw(QStringLiteral("NimbrelDebug: Finder route dockTitle=") +
               context.dockTitle.value_or(QStringLiteral("nil")) + QStringLiteral(" focusedAfter=") +
               context.focusedWindowTitleAfterDockClick.value_or(QStringLiteral("nil")) +
               QStringLiteral(" isTrashTarget=") + flag(isTrashTarget));
        windows = AxReaders::finderWindows(f_.accessibility, windows, isTrashTarget);
    }
    const QString displayName =
        isTrashTarget ? QStringLiteral("Trash") : app.localizedName.value_or(QStringLiteral("?"));

    // Built by concatenation so that markers in an app's name are never substituted.
    logLine(QStringLiteral("NimbrelEngine"),
            QStringLiteral("tap ") + displayName + QStringLiteral(" windows=") + QString::number(windows.size()) +
                QStringLiteral(" visibleBefore=") + QString::number(context.visibleWindowCountBeforeClick) +
                QStringLiteral(" minimizedBefore=") + QString::number(context.minimizedWindowCountBeforeClick) +
                QStringLiteral(" allMinimizedBefore=") + flag(context.allWindowsMinimizedBeforeClick()) +
                QStringLiteral(" wasFrontmost=") + flag(context.wasFrontmostBeforeClick));

    if (clickCount == 1 && !isFinder && executor_ && executor_->handleBrowserRuleGroupDockTap(app)) return;
    if (applyMatchingRule(app, displayName, clickCount, windows, context)) return;

    defaultBehavior_.handle({app, *key, context, std::move(windows), isFinder, isTrashTarget});
}

bool TapDecision::applyMatchingRule(const RunningApplication& app, const QString& displayName, int clickCount,
                                    const std::vector<AXElement>& windows, const DockTapContext& context) {
    const NimbrelRuleAppTarget target{displayName, app.bundleIdentifier, app.bundlePath};
    rulesLog(QStringLiteral("checking rules for displayName=") + displayName + QStringLiteral(", bundle=") +
             app.bundleIdentifier.value_or(QStringLiteral("nil")) + QStringLiteral(", path=") +
             app.bundlePath.value_or(QStringLiteral("nil")) + QStringLiteral(", clickCount=") +
             QString::number(clickCount));

    const std::vector<NimbrelRule> rules =
        services_.rulesForDockTap ? services_.rulesForDockTap(target, clickCount) : std::vector<NimbrelRule>{};
    if (rules.empty()) return false;
    const NimbrelRule& rule = rules.front();

    if (app.bundleIdentifier == kFinderBundleIdentifier) {
        const QString finderKey = appKeyFor(app).value_or(kFinderAppKeyFallback);
        if (finderGroups_.toggle(rule, windows, app, finderKey, context)) {
            state_.ruleTriggeredSuppressUntilByAppKey[finderKey] =
                f_.clock.now().addingSeconds(kFinderGroupSuppression);
            rulesLog(QStringLiteral("suppressing duplicate Finder Dock tap after grouped rule cycle"));
            return true;
        }
        if (finderGroups_.isActiveSingleFinderTarget(rule, windows)) {
            rulesLog(QStringLiteral(
                "Finder rule target is already the active single Finder window; using normal Nimbrel behavior"));
            return false;
        }
    }

    rulesLog(QStringLiteral("matched rule ") + rule.name);
    if (const auto key = appKeyFor(app))
        state_.ruleTriggeredSuppressUntilByAppKey[*key] = f_.clock.now().addingSeconds(kRuleSuppression);
    if (executor_) executor_->executeRuleActions(rule.actions);
    return true;
}

} // namespace nimbrel
