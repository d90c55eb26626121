#include "engine/FinderRuleGroup.h"

#include "engine/AxReaders.h"
#include "engine/FolderKey.h"
#include "engine/WindowActions.h"
#include "platform/Log.h"

#include <algorithm>

namespace nimbrel {

namespace {

void rulesLog(const QString& message) {
    logLine(QStringLiteral("NimbrelRules"), message);
}

bool contains(const std::vector<AXElement>& list, const AXElement& e) {
    return std::find(list.begin(), list.end(), e) != list.end();
}

} // namespace

std::vector<NimbrelFolderTarget> FinderRuleGroup::finderFolderTargets(const NimbrelRule& rule) {
    std::vector<NimbrelFolderTarget> targets;
    for (const NimbrelRuleAction& action : rule.actions)
        if (const auto* folder = action.as<OpenFolderRuleAction>()) targets.push_back(folder->folder);
    return targets;
}

bool FinderRuleGroup::isFinderWindow(const AXElement& window, const NimbrelFolderTarget& target) const {
    const QString home = files_.homeDirectory();
    // Finder reports a folder's document with a trailing slash; the folder key compares paths without it.
    return FolderKey::of(target.displayName, target.path, home)
        .matches(AxReaders::stringAttribute(ax_, QStringLiteral("AXTitle"), window),
                 AxReaders::documentPath(ax_, window), home);
}

bool FinderRuleGroup::isActiveSingleFinderTarget(const NimbrelRule& rule, const std::vector<AXElement>& windows) const {
    const auto targets = finderFolderTargets(rule);
    return targets.size() == 1 && windows.size() == 1 && isFinderWindow(windows.front(), targets.front());
}

bool FinderRuleGroup::toggle(const NimbrelRule& rule, const std::vector<AXElement>& windows,
                             const RunningApplication& app, const QString& appKey, const DockTapContext& context) {
    const auto targets = finderFolderTargets(rule);
    if (targets.size() < 2) return false;

    std::vector<AXElement> group;
    for (const AXElement& window : windows) {
        const bool shows = std::any_of(targets.begin(), targets.end(),
                                       [&](const NimbrelFolderTarget& t) { return isFinderWindow(window, t); });
        if (shows) group.push_back(window);
    }
    // Only the counts are compared: two windows of one folder may stand in for a missing one.
    if (group.size() != targets.size()) return false;

    std::vector<AXElement> others;
    for (const AXElement& window : windows)
        if (!contains(group, window)) others.push_back(window);

    if (others.empty()) {
        const bool restore =
            context.allWindowsMinimizedBeforeClick() ||
            std::any_of(group.begin(), group.end(), [&](const AXElement& w) { return AxReaders::isMinimized(ax_, w); });
        if (restore) {
            rulesLog(QStringLiteral("restoring active Finder rule group as one workspace"));
            for (const AXElement& w : group)
                WindowActions::setMinimized(ax_, w, false);
            bringForward(app, appKey, group.back());
        } else {
            rulesLog(QStringLiteral("minimizing active Finder rule group as one workspace"));
            for (const AXElement& w : group)
                WindowActions::setMinimized(ax_, w, true);
        }
        return true;
    }

    const auto focused =
        std::find_if(windows.begin(), windows.end(), [&](const AXElement& w) { return AxReaders::isFocused(ax_, w); });
    if (focused == windows.end()) return false;

    if (contains(group, *focused)) {
        for (const AXElement& w : group)
            WindowActions::setMinimized(ax_, w, true);
        auto next = std::find_if(others.begin(), others.end(), [&](const AXElement& w) {
            return ax_.attribute(w, QStringLiteral("AXMinimized")).toBool() != std::optional<bool>(true);
        });
        bringForward(app, appKey, next != others.end() ? *next : others.front());
    } else {
        WindowActions::setMinimized(ax_, *focused, true);
        for (const AXElement& w : group)
            WindowActions::setMinimized(ax_, w, false);
        bringForward(app, appKey, group.back());
    }
    return true;
}

void FinderRuleGroup::bringForward(const RunningApplication& app, const QString& appKey, const AXElement& window) {
    WindowActions::bringForward(ax_, workspace_, app, window);
    state_.lastRestoredWindowByApp[appKey] = window;
}

} // namespace nimbrel
