#include "engine/FolderActions.h"

#include "engine/AxReaders.h"
#include "engine/WindowManager.h"
#include "model/AppCapabilities.h"

#include <QUrl>

namespace nimbrel {

namespace {
const QString kAXMinimized = QStringLiteral("AXMinimized");
} // namespace

void FolderActions::openFolderURL(const NimbrelFolderTarget& folder, const QString& expandedPath) {
    if (wm_.workspace().open(QUrl::fromLocalFile(expandedPath).toString(QUrl::FullyEncoded))) return;
    wm_.log(QStringLiteral("failed to open folder ") + expandedPath);
    wm_.record(NimbrelActivityType::error, QStringLiteral("Folder Open Failed"),
               QStringLiteral("Could not open ") + folder.displayName + QStringLiteral("."));
}

bool FolderActions::focusOrOpen(const NimbrelFolderTarget& folder, NimbrelWindowPlacement placement,
                                const std::optional<NimbrelDisplayTarget>& display, FinderFocusOptions focus,
                                FinderRetryRequest retry, const std::vector<double>& retryDelays) {
    FinderWindows& finder = wm_.finder();
    const QString expanded = wm_.expandTilde(folder.path);
    const FolderKey key = finder.folderKey(folder.displayName, expanded);
    if (finder.focusFinderWindow(key, placement, display, focus)) {
        wm_.log(QStringLiteral("focused existing folder window ") + folder.displayName);
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Folder Focused"),
                   QStringLiteral("Focused existing Finder window for ") + folder.displayName + QStringLiteral("."));
        return true;
    }
    wm_.log(QStringLiteral("opening folder ") + expanded);
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Folder Opened"),
               QStringLiteral("Opened ") + folder.displayName + QStringLiteral("."));
    openFolderURL(folder, expanded);
    retry.key = key;
    retry.placement = placement;
    retry.display = display;
    retry.displayName = folder.displayName;
    finder.scheduleRetries(retry, retryDelays);
    return false;
}

void FolderActions::openOrFocusFolder(const NimbrelFolderTarget& folder, NimbrelWindowPlacement placement,
                                      const std::optional<NimbrelDisplayTarget>& display, bool closeOthers) {
    FinderRetryRequest retry;
    retry.raiseAndFocus = true;
    retry.unminimize = true;
    retry.closeOtherWindows = closeOthers;
    if (focusOrOpen(folder, placement, display, {true, true, true}, retry, {0.25, 0.55, 0.95, 1.45, 2.1}) &&
        closeOthers) {
        FinderWindows& finder = wm_.finder();
        finder.closeExtraFinderWindows(finder.folderKey(folder.displayName, folder.path));
    }
}

std::vector<NimbrelFolderTarget> FolderActions::folders(const std::vector<OpenFolderRuleAction>& actions) {
    std::vector<NimbrelFolderTarget> out;
    for (const OpenFolderRuleAction& action : actions)
        out.push_back(action.folder);
    return out;
}

void FolderActions::executeFolderGroup(const std::vector<OpenFolderRuleAction>& actions) {
    const size_t n = actions.size();
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Folder Group Opened"),
               QStringLiteral("Opened %1 folders from one rule.").arg(n));
    FinderWindows& finder = wm_.finder();
    Accessibility& ax = wm_.ax();
    const std::map<int, AXElement> windows = finder.finderWindowsByActionIndex(actions);
    bool onlyGroupWindows = true;
    for (const AXElement& window : finder.finderWindows()) {
        const std::optional<QString> title = AxReaders::stringAttribute(ax, QStringLiteral("AXTitle"), window);
        const bool identifiable =
            (title && !normalizedAppName(*title).isEmpty()) || wm_.apps().documentPath(window).has_value();
        if (identifiable && !finder.finderWindowShowsAnyOf(window, folders(actions))) {
            onlyGroupWindows = false;
            break;
        }
    }
    if (windows.size() == n && onlyGroupWindows) {
        toggleFolderGroup(actions, windows);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (windows.count(static_cast<int>(i))) continue;
        const OpenFolderRuleAction action = actions[i];
        wm_.after(static_cast<double>(i) * 0.12, [this, action] { openFolderGroupMember(action); });
    }
    const std::vector<double> delays{0.65, 1.15, 1.65};
    for (size_t k = 0; k < delays.size(); ++k)
        wm_.after(delays[k], [this, actions, k, delays] { placeFolderGroup(actions, static_cast<int>(k), delays); });
}

void FolderActions::openFolderGroupMember(const OpenFolderRuleAction& action) {
    focusOrOpen(action.folder, action.placement, action.displayTarget, {}, {}, {0.3, 0.75, 1.2});
}

void FolderActions::placeFolderGroup(const std::vector<OpenFolderRuleAction>& actions, int attempt,
                                     const std::vector<double>& delays) {
    const bool last = attempt == static_cast<int>(delays.size()) - 1;
    const std::map<int, AXElement> windows = wm_.finder().finderWindowsByActionIndex(actions);
    for (const auto& [index, window] : windows) {
        if (last) wm_.ax().setAttributeValue(window, kAXMinimized, AXValue(false));
        const OpenFolderRuleAction& action = actions[static_cast<size_t>(index)];
        wm_.placement().applyPlacement(action.placement, window, action.displayTarget, false);
    }
    if (!last) return;
    closeFinderWindowsOutsideGroup(actions);
    focusLastFolder(actions);
}

void FolderActions::focusLastFolder(const std::vector<OpenFolderRuleAction>& actions) {
    if (actions.empty()) return;
    const OpenFolderRuleAction& lastAction = actions.back();
    FinderWindows& finder = wm_.finder();
    finder.focusFinderWindow(finder.folderKey(lastAction.folder.displayName, lastAction.folder.path),
                             lastAction.placement, lastAction.displayTarget, {false, true, true});
}

void FolderActions::toggleFolderGroup(const std::vector<OpenFolderRuleAction>& actions,
                                      const std::map<int, AXElement>& windows) {
    Accessibility& ax = wm_.ax();
    const size_t w = windows.size();
    bool anyShown = false;
    for (const auto& [index, window] : windows)
        if (ax.attribute(window, kAXMinimized).toBool() != std::optional(true)) anyShown = true;
    if (anyShown) {
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Folder Group Minimized"),
                   QStringLiteral("Minimized %1 Finder windows.").arg(w));
        for (const auto& [index, window] : windows)
            ax.setAttributeValue(window, kAXMinimized, AXValue(true));
        return;
    }
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Folder Group Restored"),
               QStringLiteral("Restored %1 Finder windows.").arg(w));
    for (const auto& [index, window] : windows) {
        ax.setAttributeValue(window, kAXMinimized, AXValue(false));
        const OpenFolderRuleAction& action = actions[static_cast<size_t>(index)];
        wm_.placement().applyPlacement(action.placement, window, action.displayTarget, false);
    }
    focusLastFolder(actions);
}

void FolderActions::closeFinderWindowsOutsideGroup(const std::vector<OpenFolderRuleAction>& actions) {
    FinderWindows& finder = wm_.finder();
    const std::vector<NimbrelFolderTarget> targets = folders(actions);
    for (const AXElement& window : finder.finderWindows()) {
        if (finder.finderWindowShowsAnyOf(window, targets)) continue;
        const std::optional<QString> title = AxReaders::stringAttribute(wm_.ax(), QStringLiteral("AXTitle"), window);
        wm_.log(QStringLiteral("closing extra Finder window title=") + (title ? *title : QStringLiteral("nil")));
        finder.closeFinderWindow(window);
    }
}

} // namespace nimbrel
