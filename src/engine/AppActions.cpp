#include "engine/AppActions.h"

#include "engine/AxReaders.h"
#include "engine/WindowManager.h"

#include <QUrl>

namespace nimbrel {

void AppActions::openApp(const NimbrelRuleAppTarget& app, NimbrelWindowPlacement placement,
                         const std::optional<NimbrelDisplayTarget>& display) {
    Workspace& workspace = wm_.workspace();
    const QString displayName = app.displayName;
    const QString opened = QStringLiteral("Opened %1.").arg(displayName);
    std::optional<QString> url;
    if (app.bundleIdentifier) url = workspace.urlForApplication(*app.bundleIdentifier);
    if (url) {
        wm_.log(QStringLiteral("opening app %1").arg(*app.bundleIdentifier));
        wm_.record(NimbrelActivityType::rule, QStringLiteral("App Opened"), opened);
        // The launch itself is not waited for; only a refusal is worth telling the user.
        workspace.openApplication(
            *url, OpenConfiguration{},
            [this, guard = wm_.lifetimeWatch(), displayName](std::optional<RunningApplication>,
                                                             std::optional<WorkspaceError> error) {
                if (guard.expired() || !error) return;
                wm_.log(QStringLiteral("failed to open app %1: %2").arg(displayName, error->localizedDescription));
                wm_.record(NimbrelActivityType::error, QStringLiteral("App Open Failed"),
                           QStringLiteral("Could not open %1: %2").arg(displayName, error->localizedDescription));
            });
    } else if (app.path) {
        const QString path = wm_.expandTilde(*app.path);
        wm_.log(QStringLiteral("opening app path %1").arg(path));
        wm_.record(NimbrelActivityType::rule, QStringLiteral("App Opened"), opened);
        if (!workspace.open(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded))) {
            wm_.log(QStringLiteral("failed to open app path %1").arg(path));
            wm_.record(NimbrelActivityType::error, QStringLiteral("App Open Failed"),
                       QStringLiteral("Could not open %1.").arg(displayName));
        }
    } else {
        return;
    }
    if (placement != NimbrelWindowPlacement::front) schedulePlacement(app, placement, display);
}

void AppActions::schedulePlacement(const NimbrelRuleAppTarget& app, NimbrelWindowPlacement placement,
                                   const std::optional<NimbrelDisplayTarget>& display) {
    for (double delay : {0.35, 0.75, 1.25})
        wm_.after(delay,
                  [this, app, placement, display] { wm_.placement().placeLaunchedAppWindow(app, placement, display); });
}

std::optional<RunningApplication> AppActions::runningApplication(const std::optional<QString>& bundleIdentifier,
                                                                 const std::optional<QString>& path) const {
    const std::vector<RunningApplication> apps = wm_.workspace().runningApplications();
    if (bundleIdentifier) {
        for (const RunningApplication& app : apps)
            if (app.bundleIdentifier == bundleIdentifier) return app;
        return std::nullopt;
    }
    if (path) {
        const QString expanded = wm_.expandTilde(*path);
        for (const RunningApplication& app : apps)
            if (app.bundlePath && *app.bundlePath == expanded) return app;
    }
    return std::nullopt;
}

AXElement AppActions::focusedWindow(const RunningApplication& app) const {
    Accessibility& ax = wm_.ax();
    const AXElement appElement = ax.applicationElement(app.pid);
    AXValue focused;
    if (ax.copyAttributeValue(appElement, QStringLiteral("AXFocusedWindow"), &focused) == AXError::success)
        if (auto element = focused.toElement(); element && *element) return *element;
    const std::vector<AXElement> windows = AxReaders::axWindows(ax, appElement);
    return windows.empty() ? AXElement{} : windows.front();
}

std::optional<QString> AppActions::documentPath(const AXElement& window) const {
    return AxReaders::documentPath(wm_.ax(), window);
}

} // namespace nimbrel
