#pragma once

#include "platform/Date.h"
#include "platform/Geometry.h"

#include <functional>
#include <memory>

namespace nimbrel {

enum class MouseEventType { leftMouseDown = 1, leftMouseUp = 2 };

struct MouseEvent {
    MouseEventType type = MouseEventType::leftMouseDown;
    Point location; // AppKit global coordinates
    Date timestamp;
};

// A global event monitor. It stays installed until removed: dropping the handle does
// not remove it.
class EventMonitor {
  public:
    virtual ~EventMonitor() = default;
    virtual void remove() = 0;
    virtual bool isInstalled() const = 0;
};
using EventMonitorHandle = std::shared_ptr<EventMonitor>;

constexpr int kEscapeKeyCode = 53;

// A press held this long on a Dock tile shows the tile's menu: the Dock takes its release for
// no click, and the program takes the press for a long press.
constexpr double kDockTileHoldSeconds = 0.4;

// The mouse and keyboard seen system-wide. Main thread only.
class Input {
  public:
    virtual ~Input() = default;

    // Watches left mouse down and up everywhere (other applications' events). Returns null
    // when the platform will not give a monitor (no Accessibility trust). The handler is
    // called on the main thread.
    virtual EventMonitorHandle addGlobalMouseMonitor(std::function<void(const MouseEvent&)> handler) = 0;
    // The pointer now, in AppKit global coordinates.
    virtual Point pointerLocation() const = 0;
    // Posts a key event at the HID event tap; false when it could not be made or posted.
    virtual bool postKeyEvent(int keyCode, bool keyDown) = 0;
};

} // namespace nimbrel
