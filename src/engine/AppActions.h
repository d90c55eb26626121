#pragma once

#include "model/RuleActions.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"

#include <optional>

namespace nimbrel {

class WindowManager;

// Opening applications for rules, and finding a running application and its window.
class AppActions {
  public:
    explicit AppActions(WindowManager& wm) : wm_(wm) {}

    // Opens the application (by bundle identifier, else by path) and, unless the placement
    // is `front`, tries to place its window at 0.35, 0.75 and 1.25 s.
    void openApp(const NimbrelRuleAppTarget& app, NimbrelWindowPlacement placement,
                 const std::optional<NimbrelDisplayTarget>& display);

    // By exact bundle identifier when there is one, else by bundle path ("~" expanded).
    std::optional<RunningApplication> runningApplication(const std::optional<QString>& bundleIdentifier,
                                                         const std::optional<QString>& path) const;
    // The focused window, else the first window; none when it has no window.
    AXElement focusedWindow(const RunningApplication& app) const;
    // The window's document as a path ("file://" URLs give their path); none when absent or empty.
    std::optional<QString> documentPath(const AXElement& window) const;

  private:
    void schedulePlacement(const NimbrelRuleAppTarget& app, NimbrelWindowPlacement placement,
                           const std::optional<NimbrelDisplayTarget>& display);

    WindowManager& wm_;
};

} // namespace nimbrel
