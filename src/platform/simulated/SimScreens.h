#pragma once

#include "platform/Screens.h"
#include "platform/simulated/SimulatedMac.h"

namespace nimbrel::sim {

class SimScreens final : public Screens {
  public:
    explicit SimScreens(SimulatedMac& mac) : mac_(mac) {}

    std::vector<ScreenInfo> screens() const override {
        std::vector<ScreenInfo> out;
        for (const Screen& s : mac_.screens())
            out.push_back(ScreenInfo{s.id, s.name, s.frame, s.visibleFrame});
        return out;
    }
    std::optional<ScreenInfo> mainScreen() const override {
        if (const Screen* s = mac_.screen(mac_.mainScreenId()))
            return ScreenInfo{s->id, s->name, s->frame, s->visibleFrame};
        if (!mac_.screens().empty()) {
            const Screen& s = mac_.screens().front();
            return ScreenInfo{s.id, s.name, s.frame, s.visibleFrame};
        }
        return std::nullopt;
    }

  private:
    SimulatedMac& mac_;
};

} // namespace nimbrel::sim
