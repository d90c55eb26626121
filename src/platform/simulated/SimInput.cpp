#include "platform/simulated/SimInput.h"

namespace nimbrel::sim {

namespace {
class SimMonitor final : public EventMonitor {
  public:
    void remove() override { token.reset(); }
    bool isInstalled() const override { return token.isActive(); }
    ObserverToken token;
};
} // namespace

EventMonitorHandle SimInput::addGlobalMouseMonitor(std::function<void(const MouseEvent&)> handler) {
    if (!mac_.isTrusted()) {
        mac_.recorder().record(EventKind::permission, QStringLiteral("global mouse monitor refused (not trusted)"));
        return nullptr;
    }
    auto monitor = std::make_shared<SimMonitor>();
    SimulatedMac* mac = &mac_;
    monitor->token = mac_.watchMouse([mac, handler = std::move(handler)](bool down, Point location) {
        if (!mac->isTrusted()) return;
        handler(MouseEvent{down ? MouseEventType::leftMouseDown : MouseEventType::leftMouseUp, location,
                           mac->clock().now()});
    });
    return monitor;
}

bool SimInput::postKeyEvent(int keyCode, bool keyDown) {
    mac_.recorder().record(
        EventKind::keyEvent,
        QStringLiteral("key %1 %2").arg(keyCode).arg(keyDown ? QStringLiteral("down") : QStringLiteral("up")));
    return true;
}

} // namespace nimbrel::sim
