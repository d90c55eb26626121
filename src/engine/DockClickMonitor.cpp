#include "engine/DockClickMonitor.h"

#include "engine/DockTitles.h"
#include "model/AppCapabilities.h"
#include "platform/Log.h"

namespace nimbrel {

namespace {

const QString kEngine = QStringLiteral("NimbrelEngine");

void engineLog(const QString& message) {
    logLine(kEngine, message);
}

void logNoAppResolved() {
    engineLog(QStringLiteral("Dock click ignored — no app resolved from Dock item"));
}

} // namespace

void DockClickMonitor::startMonitoring() {
    if (monitor_) return;
    engineLog(QStringLiteral("starting Dock click monitoring"));

    // The handler does no work of its own: every event is handled on a later turn of the loop.
    monitor_ = f_.input.addGlobalMouseMonitor([this, alive = lifetime_.watch()](const MouseEvent& event) {
        if (alive.expired()) return;
        f_.scheduler.post(lifetime_.guard([this, event] { handleMouseEvent(event); }));
    });
    engineLog(monitor_ ? QStringLiteral("global mouse monitor installed")
                       : QStringLiteral("failed to create global mouse monitor"));

    // One wake observer for the life of the engine, however often a failed monitor is retried.
    if (!wakeObserver_.isActive())
        wakeObserver_ = f_.workspace.observeDidWake(lifetime_.guard([this] { handleWake(); }));
}

void DockClickMonitor::handleMouseEvent(const MouseEvent& event) {
    switch (event.type) {
    case MouseEventType::leftMouseUp:
        state_.isPrimaryMouseButtonDown = false;
        state_.activeDockPress.reset();
        break;
    case MouseEventType::leftMouseDown:
        // The pointer as it is now, not where the event says.
        handleDockMouseDown(f_.input.pointerLocation());
        break;
    }
}

void DockClickMonitor::handleWake() {
    state_.wakeSuppressionUntil = f_.clock.now().addingSeconds(kWakeQuietInterval);
    engineLog(QStringLiteral("wake from sleep — suppressing Dock clicks for 1.5 s"));
}

void DockClickMonitor::handleDockMouseDown(Point location) {
    if (!f_.accessibility.isProcessTrusted()) {
        engineLog(QStringLiteral("Accessibility is not trusted"));
        return;
    }
    if (f_.clock.now() < state_.wakeSuppressionUntil) {
        engineLog(QStringLiteral("Dock click ignored — within wake recovery window"));
        return;
    }
    if (!tiles_.isMouseInDockArea(location)) return;

    const Uuid token = Uuid::random();
    state_.activeDockPress.reset();
    state_.isPrimaryMouseButtonDown = true;

    const auto frontmost = f_.workspace.frontmostApplication();
    const std::optional<QString> frontmostBundleIdentifier = frontmost ? frontmost->bundleIdentifier : std::nullopt;

    const std::optional<QString> title = tiles_.dockItemTitle(location);
    logRaw(QStringLiteral("NimbrelDebug: dock mouseDown title=") + title.value_or(QStringLiteral("nil")) +
           QStringLiteral(" isTrash=") +
           (title && isTrashDockTitle(*title) ? QStringLiteral("true") : QStringLiteral("false")));
    if (!title) {
        logNoAppResolved();
        return;
    }
    if (isNonApplicationDockItem(*title)) {
        engineLog(QStringLiteral("ignoring non-app Dock item: ") + *title);
        return;
    }

    const auto app = tiles_.runningApplication(*title);
    if (!app || app->activationPolicy != ActivationPolicy::regular || app->bundleIdentifier == ownBundleIdentifier_) {
        logNoAppResolved();
        return;
    }

    const QString bundleIdentifier = app->bundleIdentifier.value_or(QString());
    if (bundleIdentifier.contains(QLatin1String("launchpad")) ||
        normalizedAppName(app->localizedName.value_or(QString())) == QLatin1String("launchpad")) {
        engineLog(QStringLiteral("ignoring Launchpad (") + bundleIdentifier + QStringLiteral(") dock click"));
        return;
    }

    const DockTapContext context = tiles_.makeDockTapContext(*app, frontmostBundleIdentifier, title);
    if (const auto key = appKeyFor(*app)) state_.activeDockPress = ActiveDockPress{token, *app, *key, context};
    taps_.registerDockTap(*app, context);
    taps_.scheduleLongPressCheck(token);
}

} // namespace nimbrel
