#pragma once

#include "platform/Input.h"
#include "platform/simulated/SimulatedMac.h"

namespace nimbrel::sim {

// Mouse monitors and key events of the simulated Mac. A monitor is only given while
// the program is trusted for Accessibility, and it hears nothing while trust is revoked.
class SimInput final : public Input {
  public:
    explicit SimInput(SimulatedMac& mac) : mac_(mac) {}

    EventMonitorHandle addGlobalMouseMonitor(std::function<void(const MouseEvent&)> handler) override;
    Point pointerLocation() const override { return mac_.pointer(); }
    bool postKeyEvent(int keyCode, bool keyDown) override;

  private:
    SimulatedMac& mac_;
};

} // namespace nimbrel::sim
