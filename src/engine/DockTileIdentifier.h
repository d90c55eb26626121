#pragma once

#include "engine/EngineState.h"
#include "platform/Accessibility.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"

#include <optional>
#include <vector>

namespace nimbrel {

// Finds, for a press, whether it is on the Dock, the tile's title, the application the
// tile stands for, and a snapshot of that application's windows.
class DockTileIdentifier {
  public:
    DockTileIdentifier(Accessibility& ax, Workspace& workspace, Screens& screens)
        : ax_(ax), workspace_(workspace), screens_(screens) {}

    // Pure geometry: the strip along the screen edge that the Dock takes (AppKit coordinates).
    bool isMouseInDockArea(Point location) const;
    // The title of the Dock tile under the point (AppKit coordinates), read by a hit test.
    std::optional<QString> dockItemTitle(Point location) const;
    std::vector<AXElement> elementAndAncestors(const AXElement& element, int maxDepth) const;
    std::optional<RunningApplication> runningApplication(const QString& dockTitle) const;
    DockTapContext makeDockTapContext(const RunningApplication& app,
                                      const std::optional<QString>& frontmostBundleIdentifier,
                                      const std::optional<QString>& dockTitle) const;

  private:
    Accessibility& ax_;
    Workspace& workspace_;
    Screens& screens_;
};

} // namespace nimbrel
