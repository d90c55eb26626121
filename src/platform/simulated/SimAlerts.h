#pragma once

#include "platform/Alerts.h"
#include "platform/simulated/SimulatedMac.h"

#include <deque>
#include <functional>

namespace nimbrel::sim {

// Alerts and open panels answered by script. Without a scripted answer an alert stays open
// in its modal loop and an open panel goes to its presenter (in the running program, both to a
// person at the desktop window); with neither, the alert is answered with its first button
// and the panel is cancelled.
class SimAlerts final : public Alerts {
  public:
    // Shows an open panel and waits for its answer: the chosen paths, or none when cancelled.
    using OpenPanelPresenter = std::function<std::optional<QStringList>(const OpenPanelRequest&)>;

    explicit SimAlerts(SimulatedMac& mac) : mac_(mac) {}

    int runModal(const AlertRequest& request) override;
    std::optional<QStringList> runOpenPanel(const OpenPanelRequest& request) override;
    void beep() override;

    // The next alert answers with this button (0 = first).
    void answerNextAlert(int buttonIndex) { alertAnswers_.push_back(buttonIndex); }
    // The next open panel returns these paths, or cancels when none.
    void answerNextOpenPanel(std::optional<QStringList> paths) { panelAnswers_.push_back(std::move(paths)); }
    // Who answers the open panels no script answers; none cancels them.
    void setOpenPanelPresenter(OpenPanelPresenter presenter) { presenter_ = std::move(presenter); }
    // An alert without a scripted answer stays open while `loop` runs (the rest of the world
    // going on meanwhile, as in a modal session) and answers with the button index it returns.
    using ModalLoop = std::function<int(const AlertRequest& request)>;
    void setModalLoop(ModalLoop loop) { modalLoop_ = std::move(loop); }

    const std::vector<AlertRequest>& alertsShown() const { return alerts_; }
    const std::vector<OpenPanelRequest>& panelsShown() const { return panels_; }

  private:
    SimulatedMac& mac_;
    ModalLoop modalLoop_;
    std::deque<int> alertAnswers_;
    std::deque<std::optional<QStringList>> panelAnswers_;
    OpenPanelPresenter presenter_;
    std::vector<AlertRequest> alerts_;
    std::vector<OpenPanelRequest> panels_;
};

} // namespace nimbrel::sim
