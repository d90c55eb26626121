#pragma once

#include "model/RuleActions.h"
#include "platform/Geometry.h"
#include "platform/Workspace.h"

#include <optional>
#include <vector>

namespace nimbrel {

class WindowManager;

// Arranging windows: every slot's target is opened at once and, a moment later, the
// focused window of each placed slot's application is moved into its frame on the main
// screen's visible frame.
class WindowLayouts {
  public:
    explicit WindowLayouts(WindowManager& wm) : wm_(wm) {}

    void arrangeWindows(const ArrangeWindowsRuleAction& action);
    void arrangeFullSize(const ArrangeWindowsRuleAction& action) { arrange(action, 0.45); }
    void arrangeSideBySide(const ArrangeWindowsRuleAction& action) { arrange(action, 0.55); }
    void arrangeDivided(const ArrangeWindowsRuleAction& action) { arrange(action, 0.55); }

    void openLayoutSlotTarget(const NimbrelLayoutSlot& slot);
    std::optional<RunningApplication> runningApplication(const NimbrelLayoutSlot& slot) const;
    void placeFocusedWindow(const RunningApplication& app, const Rect& frame);

  private:
    void arrange(const ArrangeWindowsRuleAction& action, double settleDelay);

    WindowManager& wm_;
};

} // namespace nimbrel
