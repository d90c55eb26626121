#pragma once

#include "model/RuleActions.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Screens.h"

#include <optional>
#include <vector>

namespace nimbrel {

class WindowManager;

// Moves and sizes other applications' windows through the Accessibility interface:
// every placement a rule asks for goes through applyPlacement().
class WindowPlacement {
  public:
    explicit WindowPlacement(WindowManager& wm) : wm_(wm) {}

    std::optional<ScreenInfo> screen(const NimbrelDisplayTarget& target) const;
    Point accessibilityOrigin(const Rect& frame) const;

    // Places `window` on the screen of `display`; `raise` also raises it (not in full screen).
    void applyPlacement(NimbrelWindowPlacement placement, const AXElement& window,
                        const std::optional<NimbrelDisplayTarget>& display, bool raise);
    // Each refused write is reported as an error activity with the interface's code.
    void setSize(Size size, const AXElement& window);
    void setPosition(Point position, const AXElement& window);

    // Presses the full-screen button (else the zoom button, else raises) unless the window
    // is already in full screen: repeated attempts must not toggle it back out.
    void enterFullScreen(const AXElement& window);
    bool isFullScreen(const AXElement& window) const;
    AXElement fullScreenButton(const AXElement& window) const;
    // Takes the window out of full screen when the placement wants a frame or the front.
    void leaveFullScreenIfNeeded(NimbrelWindowPlacement placement, const AXElement& window);

    // One attempt to place the window of an application a rule just opened.
    void placeLaunchedAppWindow(const NimbrelRuleAppTarget& app, NimbrelWindowPlacement placement,
                                const std::optional<NimbrelDisplayTarget>& display);
    void reapplyWebsitePlacement(const OpenBrowserWebsiteRuleAction& action, const AXElement& window);
    void focusLastWindow(const std::vector<AXElement>& windows, const AXElement& appElement);
    void reapplyFinderPlacement(const AXElement& window, NimbrelWindowPlacement placement,
                                const std::optional<NimbrelDisplayTarget>& display, bool unminimize, bool raise);

    std::vector<NimbrelDisplayTarget> externalScreens() const;

  private:
    WindowManager& wm_;
};

} // namespace nimbrel
