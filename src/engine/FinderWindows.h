#pragma once

#include "engine/FolderKey.h"
#include "model/RuleActions.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"

#include <QSet>

#include <map>
#include <optional>
#include <vector>

namespace nimbrel {

class WindowManager;

// How a found folder window is brought forward.
struct FinderFocusOptions {
    bool replaceLater = false; // place it again 0.18 and 0.38 s later
    bool raiseAndFocus = false;
    bool unminimize = false;
};

// One delayed look for a folder's window after the folder was opened.
struct FinderRetryRequest {
    FolderKey key;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    std::optional<NimbrelDisplayTarget> display;
    QString displayName; // for the log only
    bool raiseAndFocus = false;
    bool unminimize = false;
    bool closeOtherWindows = false;
    int attempt = 0;
    std::vector<double> delays; // the last attempt is delays.size() - 1
};

// Finder's folder windows, recognised by title and document path through the
// Accessibility interface; Finder itself is never asked which folder a window shows.
class FinderWindows {
  public:
    static inline const QString finderBundleIdentifier = QStringLiteral("com.apple.finder");

    explicit FinderWindows(WindowManager& wm) : wm_(wm) {}

    std::optional<RunningApplication> finder() const;
    // Finder's real windows (no system dialogs, floating or unknown windows), without the Trash.
    std::vector<AXElement> finderWindows() const;

    FolderKey folderKey(const QString& displayName, const QString& path) const;
    bool showsFolder(const AXElement& window, const FolderKey& key) const;
    bool finderWindowShowsAnyOf(const AXElement& window, const std::vector<NimbrelFolderTarget>& folders) const;

    // Finds the folder's window and brings it into its placement; false when there is none.
    bool focusFinderWindow(const FolderKey& key, NimbrelWindowPlacement placement,
                           const std::optional<NimbrelDisplayTarget>& display, FinderFocusOptions options);
    void retryFocusFinderWindow(const FinderRetryRequest& request);
    // Schedules `request` once per delay, with attempt numbers 0, 1, ...
    void scheduleRetries(FinderRetryRequest request, const std::vector<double>& delays);
    // Closes every Finder window that does not show the folder.
    void closeExtraFinderWindows(const FolderKey& key);
    void closeFinderWindow(const AXElement& window);

    // The first window of the folder whose folded title is not already taken.
    std::optional<AXElement> finderWindow(const QString& folderName, const QString& path,
                                          const QSet<QString>& excluding) const;
    // Each folder action's window, distinct windows only, by action index.
    std::map<int, AXElement> finderWindowsByActionIndex(const std::vector<OpenFolderRuleAction>& actions) const;

    // Prints what every Finder window looks like, when a folder's window cannot be found.
    void logFinderWindowMatches(const QString& reason, const FolderKey& key) const;

  private:
    std::optional<QString> title(const AXElement& window) const;
    AXElement finderElement(const RunningApplication& finder) const;

    WindowManager& wm_;
};

} // namespace nimbrel
