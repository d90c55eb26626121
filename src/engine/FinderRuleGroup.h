#pragma once

#include "engine/EngineState.h"
#include "model/Rule.h"
#include "platform/Files.h"

#include <vector>

namespace nimbrel {

// A Finder rule whose folders are all open already is toggled as one workspace
// instead of opening them again.
class FinderRuleGroup {
  public:
    FinderRuleGroup(EngineState& state, Accessibility& ax, Workspace& workspace, const FileSystem& files)
        : state_(state), ax_(ax), workspace_(workspace), files_(files) {}

    static std::vector<NimbrelFolderTarget> finderFolderTargets(const NimbrelRule& rule);
    // The window shows the folder: by its title, else by its document path.
    bool isFinderWindow(const AXElement& window, const NimbrelFolderTarget& target) const;
    bool isActiveSingleFinderTarget(const NimbrelRule& rule, const std::vector<AXElement>& windows) const;
    // True when it minimized or restored the group.
    bool toggle(const NimbrelRule& rule, const std::vector<AXElement>& windows, const RunningApplication& app,
                const QString& appKey, const DockTapContext& context);

  private:
    void bringForward(const RunningApplication& app, const QString& appKey, const AXElement& window);

    EngineState& state_;
    Accessibility& ax_;
    Workspace& workspace_;
    const FileSystem& files_;
};

} // namespace nimbrel
