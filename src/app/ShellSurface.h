#pragma once

#include "app/MenuBarIcon.h"
#include "app/PanelGeometry.h"

#include <optional>

namespace nimbrel {

// What the application delegate drives on screen: the status item in the menu bar and the
// floating panel under it. The program's implementation draws them in Qt Quick; tests record.
class ShellSurface {
  public:
    virtual ~ShellSurface() = default;

    virtual void setDarkAppearance() = 0;

    // Creates the status item; false when it got no button.
    virtual bool installStatusItem() = 0;
    virtual void setStatusIcon(const MenuBarIconImage& image) = 0;
    virtual void removeStatusItem() = 0;
    // The button's frame on screen, nothing while it has no window.
    virtual std::optional<ScreenRect> statusButtonFrame() const = 0;
    // The visible frame of the button's screen, else of the main screen; nothing without screens.
    virtual std::optional<ScreenRect> visibleFrameForStatusButton() const = 0;

    // A borderless, floating, non-hiding panel at the status window level.
    virtual void createPanel(const ScreenRect& frame) = 0;
    virtual bool isPanelVisible() const = 0;
    virtual ScreenRect panelFrame() const = 0;
    virtual void setPanelContent(PanelMode mode) = 0;
    virtual void setPanelFrame(const ScreenRect& frame) = 0;
    // Eases the frame over `seconds` (ease in, ease out).
    virtual void animatePanelFrame(const ScreenRect& frame, double seconds) = 0;
    // Front, key, and the application activated.
    virtual void orderPanelFront() = 0;
    virtual void orderPanelOut() = 0;
    virtual void closePanel() = 0;

    // Asks the application to terminate; `exitProcess` ends the process outright.
    virtual void terminate() = 0;
    virtual void exitProcess(int status) = 0;
};

} // namespace nimbrel
