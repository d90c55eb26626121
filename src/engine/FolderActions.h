#pragma once

#include "engine/FinderWindows.h"
#include "model/RuleActions.h"

#include <map>
#include <vector>

namespace nimbrel {

class WindowManager;

// Folder actions of rules: one folder, opened or focused; and folder groups, two or more
// folders of one rule that are opened and placed together and, on later taps, minimized
// and restored together. Nothing is remembered between taps: the windows tell.
class FolderActions {
  public:
    explicit FolderActions(WindowManager& wm) : wm_(wm) {}

    // Focuses the folder's window or opens the folder and looks for its window at
    // 0.25, 0.55, 0.95, 1.45 and 2.1 s. `closeOthers` (a rule's folder action, not a layout
    // slot) also closes the Finder windows of other folders once the window is found.
    void openOrFocusFolder(const NimbrelFolderTarget& folder, NimbrelWindowPlacement placement,
                           const std::optional<NimbrelDisplayTarget>& display, bool closeOthers);

    void executeFolderGroup(const std::vector<OpenFolderRuleAction>& actions);
    void openFolderGroupMember(const OpenFolderRuleAction& action);
    void placeFolderGroup(const std::vector<OpenFolderRuleAction>& actions, int attempt,
                          const std::vector<double>& delays);
    void toggleFolderGroup(const std::vector<OpenFolderRuleAction>& actions, const std::map<int, AXElement>& windows);
    void closeFinderWindowsOutsideGroup(const std::vector<OpenFolderRuleAction>& actions);

  private:
    // Focuses the folder's window; or opens the folder and schedules `retry` at each delay.
    // True when a window was found.
    bool focusOrOpen(const NimbrelFolderTarget& folder, NimbrelWindowPlacement placement,
                     const std::optional<NimbrelDisplayTarget>& display, FinderFocusOptions focus,
                     FinderRetryRequest retry, const std::vector<double>& retryDelays);
    // Opens the folder through the workspace; a refusal is recorded as an error.
    void openFolderURL(const NimbrelFolderTarget& folder, const QString& expandedPath);
    static std::vector<NimbrelFolderTarget> folders(const std::vector<OpenFolderRuleAction>& actions);
    void focusLastFolder(const std::vector<OpenFolderRuleAction>& actions);

    WindowManager& wm_;
};

} // namespace nimbrel
