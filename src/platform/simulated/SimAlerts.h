#pragma once

#include "platform/Alerts.h"
#include "platform/simulated/SimulatedMac.h"

#include <deque>

namespace nimbrel::sim {

// Alerts and open panels answered by script. Without a scripted answer an alert is
// answered with its first button and an open panel is cancelled.
class SimAlerts final : public Alerts {
  public:
    explicit SimAlerts(SimulatedMac& mac) : mac_(mac) {}

    int runModal(const AlertRequest& request) override;
    std::optional<QStringList> runOpenPanel(const OpenPanelRequest& request) override;
    void beep() override;

    // The next alert answers with this button (0 = first).
    void answerNextAlert(int buttonIndex) { alertAnswers_.push_back(buttonIndex); }
    // The next open panel returns these paths, or cancels when none.
    void answerNextOpenPanel(std::optional<QStringList> paths) { panelAnswers_.push_back(std::move(paths)); }

    const std::vector<AlertRequest>& alertsShown() const { return alerts_; }
    const std::vector<OpenPanelRequest>& panelsShown() const { return panels_; }

  private:
    SimulatedMac& mac_;
    std::deque<int> alertAnswers_;
    std::deque<std::optional<QStringList>> panelAnswers_;
    std::vector<AlertRequest> alerts_;
    std::vector<OpenPanelRequest> panels_;
};

} // namespace nimbrel::sim
