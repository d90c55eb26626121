#pragma once

#include "platform/Accessibility.h"
#include "platform/Workspace.h"

namespace nimbrel {

// The window writes of the default behaviour; their results are never examined.
struct WindowActions {
    static void setMinimized(Accessibility& ax, const AXElement& window, bool minimized) {
        ax.setAttributeValue(window, QStringLiteral("AXMinimized"), AXValue(minimized));
    }
    // Activate the app, unminimize, raise and focus the window, in that order.
    static void bringForward(Accessibility& ax, Workspace& workspace, const RunningApplication& app,
                             const AXElement& window) {
        workspace.activate(app.pid);
        setMinimized(ax, window, false);
        ax.performAction(window, QStringLiteral("AXRaise"));
        ax.setAttributeValue(window, QStringLiteral("AXFocused"), AXValue(true));
    }
};

} // namespace nimbrel
