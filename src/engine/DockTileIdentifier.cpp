#include "engine/DockTileIdentifier.h"

#include "engine/AxReaders.h"
#include "engine/DockTitles.h"
#include "model/AppCapabilities.h"

namespace nimbrel {

namespace {

const QString kDockBundleIdentifier = QStringLiteral("com.apple.dock");
constexpr double kDockGapThreshold = 20;
constexpr double kDockStripOverlap = 12;

// The screen test of an unflipped view: left and top edges in, right and bottom edges out.
bool mouseInRect(Point p, const Rect& r) {
    return p.x >= r.minX() && p.x < r.maxX() && p.y > r.minY() && p.y <= r.maxY();
}

} // namespace

bool DockTileIdentifier::isMouseInDockArea(Point location) const {
    std::optional<ScreenInfo> screen;
    for (const ScreenInfo& s : screens_.screens()) {
        if (mouseInRect(location, s.frame)) {
            screen = s;
            break;
        }
    }
    if (!screen) screen = screens_.mainScreen();
    if (!screen) return false;

    const Rect& frame = screen->frame;
    const Rect& visible = screen->visibleFrame;
    Rect strip;
    if (double gap = visible.minY() - frame.minY(); gap > kDockGapThreshold)
        strip = Rect(frame.minX(), frame.minY(), frame.width(), gap + kDockStripOverlap);
    else if (double gap = visible.minX() - frame.minX(); gap > kDockGapThreshold)
        strip = Rect(frame.minX(), frame.minY(), gap + kDockStripOverlap, frame.height());
    else if (double gap = frame.maxX() - visible.maxX(); gap > kDockGapThreshold)
        strip = Rect(visible.maxX() - kDockStripOverlap, frame.minY(), gap + kDockStripOverlap, frame.height());
    else
        return false;
    return strip.contains(location);
}

std::optional<QString> DockTileIdentifier::dockItemTitle(Point location) const {
    const double h = screens_.primaryScreenHeight();
    AXElement hit;
    const AXError error =
        ax_.elementAtPosition(ax_.systemWideElement(), float(location.x), float(h - location.y), &hit);
    if (error != AXError::success || !hit) return std::nullopt;

    static const QStringList attributes = {QStringLiteral("AXTitle"), QStringLiteral("AXDescription"),
                                           QStringLiteral("AXHelp"), QStringLiteral("AXValue")};
    for (const AXElement& candidate : elementAndAncestors(hit, 8)) {
        int pid = 0;
        if (ax_.pid(candidate, &pid) != AXError::success) continue;
        const auto app = workspace_.runningApplication(pid);
        if (!app || app->bundleIdentifier != kDockBundleIdentifier) continue;
        for (const QString& attribute : attributes) {
            const auto text = AxReaders::stringAttribute(ax_, attribute, candidate);
            if (!text) continue;
            const QString trimmed = text->trimmed();
            if (trimmed.isEmpty() || trimmed.toLower() == QLatin1String("dock")) continue;
            return trimmed.section(QLatin1Char(','), 0, 0).trimmed();
        }
    }
    return std::nullopt;
}

std::vector<AXElement> DockTileIdentifier::elementAndAncestors(const AXElement& element, int maxDepth) const {
    std::vector<AXElement> chain{element};
    AXElement current = element;
    for (int depth = 0; depth < maxDepth; ++depth) {
        const auto parent = ax_.attribute(current, QStringLiteral("AXParent")).toElement();
        if (!parent || !*parent) break;
        chain.push_back(*parent);
        current = *parent;
    }
    return chain;
}

std::optional<RunningApplication> DockTileIdentifier::runningApplication(const QString& dockTitle) const {
    const auto apps = workspace_.runningApplications();
    if (isTrashDockTitle(dockTitle)) {
        for (const RunningApplication& app : apps)
            if (app.bundleIdentifier == kFinderBundleIdentifier) return app;
        return std::nullopt;
    }
    const QString normalized = normalizedAppName(dockTitle);
    for (const RunningApplication& app : apps)
        if (applicationMatchesDockTitle(app, normalized)) return app;
    return std::nullopt;
}

DockTapContext DockTileIdentifier::makeDockTapContext(const RunningApplication& app,
                                                      const std::optional<QString>& frontmostBundleIdentifier,
                                                      const std::optional<QString>& dockTitle) const {
    std::vector<AXElement> windows = AxReaders::realWindows(ax_, app);
    if (app.bundleIdentifier == kFinderBundleIdentifier && dockTitle && isTrashDockTitle(*dockTitle))
        windows = AxReaders::finderWindows(ax_, windows, true);

    DockTapContext context;
    for (const AXElement& window : windows) {
        if (AxReaders::isMinimized(ax_, window))
            ++context.minimizedWindowCountBeforeClick;
        else
            ++context.visibleWindowCountBeforeClick;
    }
    context.windowCountBeforeClick = int(windows.size());
    if (frontmostBundleIdentifier) {
        context.wasFrontmostBeforeClick = app.bundleIdentifier == frontmostBundleIdentifier;
    } else {
        const auto frontmost = workspace_.frontmostApplication();
        const std::optional<QString> frontmostId = frontmost ? frontmost->bundleIdentifier : std::nullopt;
        context.wasFrontmostBeforeClick = app.bundleIdentifier == frontmostId;
    }
    context.dockTitle = dockTitle;
    return context;
}

} // namespace nimbrel
