#include "engine/WindowLayouts.h"

#include "engine/FinderWindows.h"
#include "engine/PlacementGeometry.h"
#include "engine/WindowManager.h"
#include "platform/Json.h"

namespace nimbrel {

void WindowLayouts::arrangeWindows(const ArrangeWindowsRuleAction& action) {
    const QString layout = json::enumName(action.layout);
    const size_t k = action.layoutSlots.size();
    wm_.log(QStringLiteral("arranging windows ") + layout);
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Windows Arranged"),
               QStringLiteral("Applied %1 layout to %2 %3.")
                   .arg(layout)
                   .arg(k)
                   .arg(k == 1 ? QStringLiteral("target") : QStringLiteral("targets")));
    switch (action.layout) {
    case NimbrelWindowLayout::fullSize:
        arrangeFullSize(action);
        break;
    case NimbrelWindowLayout::sideBySide:
        arrangeSideBySide(action);
        break;
    case NimbrelWindowLayout::dividedInThree:
    case NimbrelWindowLayout::dividedInFour:
        arrangeDivided(action);
        break;
    }
}

void WindowLayouts::arrange(const ArrangeWindowsRuleAction& action, double settleDelay) {
    const std::optional<ScreenInfo> main = wm_.screens().mainScreen();
    if (!main) return;
    const std::vector<Rect> frames = placement::layoutFrames(action.layout, main->visibleFrame);
    for (const NimbrelLayoutSlot& slot : action.layoutSlots)
        openLayoutSlotTarget(slot);
    const std::vector<NimbrelLayoutSlot> layoutSlots = action.layoutSlots;
    wm_.after(settleDelay, [this, layoutSlots, frames] {
        for (size_t i = 0; i < layoutSlots.size() && i < frames.size(); ++i)
            if (auto app = runningApplication(layoutSlots[i])) placeFocusedWindow(*app, frames[i]);
    });
}

void WindowLayouts::openLayoutSlotTarget(const NimbrelLayoutSlot& slot) {
    const NimbrelDisplayTarget automatic{};
    if (const NimbrelRuleAppTarget* app = slot.target.appTarget())
        wm_.apps().openApp(*app, slot.placement, automatic);
    else if (const NimbrelFolderTarget* folder = slot.target.folderTarget())
        wm_.folders().openOrFocusFolder(*folder, slot.placement, automatic, false);
}

std::optional<RunningApplication> WindowLayouts::runningApplication(const NimbrelLayoutSlot& slot) const {
    std::optional<QString> bundleIdentifier;
    if (slot.target.folderTarget())
        bundleIdentifier = FinderWindows::finderBundleIdentifier;
    else if (const NimbrelRuleAppTarget* app = slot.target.appTarget())
        bundleIdentifier = app->bundleIdentifier;
    if (!bundleIdentifier) return std::nullopt;
    for (const RunningApplication& running : wm_.workspace().runningApplications())
        if (running.bundleIdentifier == bundleIdentifier) return running;
    return std::nullopt;
}

void WindowLayouts::placeFocusedWindow(const RunningApplication& app, const Rect& frame) {
    Accessibility& ax = wm_.ax();
    AXValue value;
    if (ax.copyAttributeValue(ax.applicationElement(app.pid), QStringLiteral("AXFocusedWindow"), &value) !=
        AXError::success)
        return;
    const std::optional<AXElement> window = value.toElement();
    if (!window || !*window) return;
    WindowPlacement& placement = wm_.placement();
    const Point origin = placement.accessibilityOrigin(frame);
    placement.setSize(frame.size, *window);
    placement.setPosition(origin, *window);
    placement.setSize(frame.size, *window);
    ax.performAction(*window, QStringLiteral("AXRaise"));
}

} // namespace nimbrel
