#include "engine/WindowPlacement.h"

#include "engine/PlacementGeometry.h"
#include "engine/WindowManager.h"
#include "platform/Json.h"

namespace nimbrel {

namespace {
const QString kAXRaise = QStringLiteral("AXRaise");
const QString kAXPress = QStringLiteral("AXPress");
} // namespace

std::optional<ScreenInfo> WindowPlacement::screen(const NimbrelDisplayTarget& target) const {
    const Screens& s = wm_.screens();
    return placement::screenFor(target, s.screens(), s.mainScreen());
}

Point WindowPlacement::accessibilityOrigin(const Rect& frame) const {
    return placement::accessibilityOrigin(frame, wm_.screens());
}

void WindowPlacement::applyPlacement(NimbrelWindowPlacement placement, const AXElement& window,
                                     const std::optional<NimbrelDisplayTarget>& display, bool raise) {
    const std::optional<ScreenInfo> target = screen(display.value_or(NimbrelDisplayTarget{}));
    if (!target) return;
    const Rect visible = target->visibleFrame;
    if (placement == NimbrelWindowPlacement::front) {
        if (raise) wm_.ax().performAction(window, kAXRaise);
        return;
    }
    if (placement == NimbrelWindowPlacement::fullScreen) {
        enterFullScreen(window);
        return;
    }
    const Rect frame = *placement::frame(placement, visible);
    const Point origin = accessibilityOrigin(frame);
    wm_.log(QStringLiteral("applying placement %1 frame=%2 axOrigin=%3")
                .arg(json::enumName(placement), toText(frame), toText(origin)));
    setSize(frame.size, window);
    setPosition(origin, window);
    setSize(frame.size, window);
    setPosition(origin, window);
    if (raise) wm_.ax().performAction(window, kAXRaise);
}

void WindowPlacement::setSize(Size size, const AXElement& window) {
    const AXError result = wm_.ax().setAttributeValue(window, QStringLiteral("AXSize"), AXValue(size));
    if (result == AXError::success) return;
    wm_.log(QStringLiteral("failed to set window size result=%1 requested=%2").arg(code(result)).arg(toText(size)));
    wm_.record(NimbrelActivityType::error, QStringLiteral("Window Resize Failed"),
               QStringLiteral("Accessibility returned result %1.").arg(code(result)));
}

void WindowPlacement::setPosition(Point position, const AXElement& window) {
    const AXError result = wm_.ax().setAttributeValue(window, QStringLiteral("AXPosition"), AXValue(position));
    if (result == AXError::success) return;
    wm_.log(QStringLiteral("failed to set window position result=%1").arg(code(result)));
    wm_.record(NimbrelActivityType::error, QStringLiteral("Window Position Failed"),
               QStringLiteral("Accessibility returned result %1.").arg(code(result)));
}

void WindowPlacement::enterFullScreen(const AXElement& window) {
    if (isFullScreen(window)) return;
    Accessibility& ax = wm_.ax();
    if (AXElement button = fullScreenButton(window)) {
        ax.performAction(button, kAXPress);
        return;
    }
    if (auto zoom = ax.attribute(window, QStringLiteral("AXZoomButton")).toElement(); zoom && *zoom) {
        ax.performAction(*zoom, kAXPress);
        return;
    }
    ax.performAction(window, kAXRaise);
}

bool WindowPlacement::isFullScreen(const AXElement& window) const {
    return wm_.ax().attribute(window, QStringLiteral("AXFullScreen")).toBool().value_or(false);
}

AXElement WindowPlacement::fullScreenButton(const AXElement& window) const {
    return wm_.ax().attribute(window, QStringLiteral("AXFullScreenButton")).toElement().value_or(AXElement{});
}

void WindowPlacement::leaveFullScreenIfNeeded(NimbrelWindowPlacement placement, const AXElement& window) {
    if (placement == NimbrelWindowPlacement::fullScreen || !isFullScreen(window)) return;
    if (AXElement button = fullScreenButton(window)) wm_.ax().performAction(button, kAXPress);
}

void WindowPlacement::placeLaunchedAppWindow(const NimbrelRuleAppTarget& app, NimbrelWindowPlacement placement,
                                             const std::optional<NimbrelDisplayTarget>& display) {
    const std::optional<RunningApplication> running = wm_.apps().runningApplication(app.bundleIdentifier, app.path);
    if (!running) return;
    const AXElement window = wm_.apps().focusedWindow(*running);
    if (!window) return;
    leaveFullScreenIfNeeded(placement, window);
    const double delay = placement == NimbrelWindowPlacement::fullScreen ? 0 : 0.12;
    wm_.after(delay, [this, placement, window, display] { applyPlacement(placement, window, display, true); });
}

void WindowPlacement::reapplyWebsitePlacement(const OpenBrowserWebsiteRuleAction& action, const AXElement& window) {
    leaveFullScreenIfNeeded(action.placement, window);
    applyPlacement(action.placement, window, action.displayTarget, false);
}

void WindowPlacement::focusLastWindow(const std::vector<AXElement>& windows, const AXElement& appElement) {
    if (windows.empty()) return;
    Accessibility& ax = wm_.ax();
    ax.performAction(windows.back(), kAXRaise);
    ax.setAttributeValue(appElement, QStringLiteral("AXFocusedWindow"), AXValue(windows.back()));
}

void WindowPlacement::reapplyFinderPlacement(const AXElement& window, NimbrelWindowPlacement placement,
                                             const std::optional<NimbrelDisplayTarget>& display, bool unminimize,
                                             bool raise) {
    if (unminimize || raise) wm_.ax().setAttributeValue(window, QStringLiteral("AXMinimized"), AXValue(false));
    applyPlacement(placement, window, display, raise);
}

std::vector<NimbrelDisplayTarget> WindowPlacement::externalScreens() const {
    const Screens& s = wm_.screens();
    return placement::displayTargets(s.screens(), s.mainScreen());
}

} // namespace nimbrel
