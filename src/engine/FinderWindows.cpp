#include "engine/FinderWindows.h"

#include "engine/AxReaders.h"
#include "engine/WindowManager.h"
#include "model/AppCapabilities.h"
#include "platform/Uuid.h"

namespace nimbrel {

namespace {
const QString kAXTitle = QStringLiteral("AXTitle");
const QString kAXMinimized = QStringLiteral("AXMinimized");
QString orNil(const std::optional<QString>& text) {
    return text ? *text : QStringLiteral("nil");
}
QString flag(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}
bool isExcludedSubrole(const std::optional<QString>& subrole) {
    return subrole && (*subrole == QStringLiteral("AXSystemDialog") || *subrole == QStringLiteral("AXFloatingWindow") ||
                       *subrole == QStringLiteral("AXUnknown"));
}
} // namespace

std::optional<RunningApplication> FinderWindows::finder() const {
    for (const RunningApplication& app : wm_.workspace().runningApplications())
        if (app.bundleIdentifier == finderBundleIdentifier) return app;
    return std::nullopt;
}

AXElement FinderWindows::finderElement(const RunningApplication& finder) const {
    return wm_.ax().applicationElement(finder.pid);
}

std::optional<QString> FinderWindows::title(const AXElement& window) const {
    return AxReaders::stringAttribute(wm_.ax(), kAXTitle, window);
}

std::vector<AXElement> FinderWindows::finderWindows() const {
    const std::optional<RunningApplication> app = finder();
    if (!app) return {};
    Accessibility& ax = wm_.ax();
    std::vector<AXElement> out;
    // Only real windows: an element of another role is never taken for a folder's window.
    for (const AXElement& window : AxReaders::realWindows(ax, finderElement(*app))) {
        if (auto t = title(window); t && normalizedAppName(*t) == QStringLiteral("trash")) continue;
        out.push_back(window);
    }
    return out;
}

FolderKey FinderWindows::folderKey(const QString& displayName, const QString& path) const {
    return FolderKey::of(displayName, path, wm_.homeDirectory());
}

bool FinderWindows::showsFolder(const AXElement& window, const FolderKey& key) const {
    Accessibility& ax = wm_.ax();
    // The title is tested first and the document only when the title does not match.
    if (!key.name.isEmpty() && key.matches(title(window), std::nullopt, wm_.homeDirectory())) return true;
    return key.matches(std::nullopt, AxReaders::documentPath(ax, window), wm_.homeDirectory());
}

bool FinderWindows::finderWindowShowsAnyOf(const AXElement& window,
                                           const std::vector<NimbrelFolderTarget>& folders) const {
    for (const NimbrelFolderTarget& folder : folders)
        if (showsFolder(window, folderKey(folder.displayName, folder.path))) return true;
    return false;
}

bool FinderWindows::focusFinderWindow(const FolderKey& key, NimbrelWindowPlacement placement,
                                      const std::optional<NimbrelDisplayTarget>& display, FinderFocusOptions options) {
    const std::optional<RunningApplication> app = finder();
    if (!app) return false;
    AXElement found;
    for (const AXElement& window : finderWindows())
        if (showsFolder(window, key)) {
            found = window;
            break;
        }
    if (!found) {
        logFinderWindowMatches(QStringLiteral("target folder window not found"), key);
        return false;
    }
    Accessibility& ax = wm_.ax();
    if (options.unminimize || options.raiseAndFocus) ax.setAttributeValue(found, kAXMinimized, AXValue(false));
    if (options.raiseAndFocus) {
        ax.performAction(found, QStringLiteral("AXRaise"));
        ax.setAttributeValue(finderElement(*app), QStringLiteral("AXFocusedWindow"), AXValue(found));
    }
    wm_.placement().applyPlacement(placement, found, display, options.raiseAndFocus);
    if (options.replaceLater) {
        for (double delay : {0.18, 0.38})
            wm_.after(delay, [this, found, placement, display, options] {
                wm_.placement().reapplyFinderPlacement(found, placement, display, options.unminimize,
                                                       options.raiseAndFocus);
            });
    }
    return true;
}

void FinderWindows::retryFocusFinderWindow(const FinderRetryRequest& request) {
    const bool found = focusFinderWindow(request.key, request.placement, request.display,
                                         {false, request.raiseAndFocus, request.unminimize});
    if (found) {
        if (request.closeOtherWindows) closeExtraFinderWindows(request.key);
        return;
    }
    if (request.attempt == static_cast<int>(request.delays.size()) - 1) {
        logFinderWindowMatches(QStringLiteral("target folder window still not found after final retry"), request.key);
        return;
    }
    wm_.log(QStringLiteral("target folder window ") + request.displayName + QStringLiteral(" not ready yet; retrying"));
}

void FinderWindows::scheduleRetries(FinderRetryRequest request, const std::vector<double>& delays) {
    request.delays = delays;
    for (size_t i = 0; i < delays.size(); ++i) {
        FinderRetryRequest attempt = request;
        attempt.attempt = static_cast<int>(i);
        wm_.after(delays[i], [this, attempt] { retryFocusFinderWindow(attempt); });
    }
}

void FinderWindows::closeExtraFinderWindows(const FolderKey& key) {
    for (const AXElement& window : finderWindows())
        if (!showsFolder(window, key)) closeFinderWindow(window);
}

void FinderWindows::closeFinderWindow(const AXElement& window) {
    Accessibility& ax = wm_.ax();
    AXValue button;
    if (ax.copyAttributeValue(window, QStringLiteral("AXCloseButton"), &button) == AXError::success)
        if (auto element = button.toElement(); element && *element) {
            ax.performAction(*element, QStringLiteral("AXPress"));
            return;
        }
    ax.performAction(window, QStringLiteral("AXCancel"));
}

std::optional<AXElement> FinderWindows::finderWindow(const QString& folderName, const QString& path,
                                                     const QSet<QString>& excluding) const {
    const FolderKey key = folderKey(folderName, path);
    for (const AXElement& window : finderWindows()) {
        if (auto t = title(window)) {
            const QString folded = normalizedAppName(*t);
            if (!folded.isEmpty() && excluding.contains(folded)) continue;
        }
        if (showsFolder(window, key)) return window;
    }
    return std::nullopt;
}

std::map<int, AXElement>
FinderWindows::finderWindowsByActionIndex(const std::vector<OpenFolderRuleAction>& actions) const {
    std::map<int, AXElement> out;
    QSet<QString> taken;
    for (size_t i = 0; i < actions.size(); ++i) {
        const NimbrelFolderTarget& folder = actions[i].folder;
        const std::optional<AXElement> window = finderWindow(folder.displayName, folder.path, taken);
        if (!window) continue;
        const std::optional<QString> t = title(*window);
        taken.insert(t ? normalizedAppName(*t) : Uuid::random().toString());
        out[static_cast<int>(i)] = *window;
    }
    return out;
}

void FinderWindows::logFinderWindowMatches(const QString& reason, const FolderKey& key) const {
    const std::optional<RunningApplication> app = finder();
    if (!app) return;
    Accessibility& ax = wm_.ax();
    const QString home = wm_.homeDirectory();
    wm_.log(reason + QStringLiteral(". targetTitle=") + key.name + QStringLiteral(" targetPath=") + key.path);
    for (const AXElement& window : AxReaders::axWindows(ax, finderElement(*app))) {
        if (isExcludedSubrole(AxReaders::stringAttribute(ax, QStringLiteral("AXSubrole"), window))) continue;
        const std::optional<QString> t = title(window);
        const std::optional<QString> folded = t ? std::optional(normalizedAppName(*t)) : std::nullopt;
        const std::optional<QString> document = AxReaders::documentPath(ax, window);
        const std::optional<QString> normalizedDocument =
            document ? std::optional(AxReaders::normalizedPath(*document, home)) : std::nullopt;
        wm_.log(QStringLiteral("Finder window title=") + orNil(t) + QStringLiteral(" normalizedTitle=") +
                orNil(folded) + QStringLiteral(" document=") + orNil(document) +
                QStringLiteral(" normalizedDocument=") + orNil(normalizedDocument) + QStringLiteral(" minimized=") +
                flag(AxReaders::boolAttribute(ax, kAXMinimized, window)) + QStringLiteral(" trash=") +
                flag(folded && *folded == QStringLiteral("trash")));
    }
}

} // namespace nimbrel
