#include "platform/simulated/SimAlerts.h"

namespace nimbrel::sim {

int SimAlerts::runModal(const AlertRequest& request) {
    alerts_.push_back(request);
    const QStringList buttons = request.buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : request.buttons;
    int index = 0;
    if (!alertAnswers_.empty()) {
        index = alertAnswers_.front();
        alertAnswers_.pop_front();
    } else if (modalLoop_) {
        mac_.recorder().record(EventKind::alert, QStringLiteral("alert \"%1\" open: %2 buttons=[%3]")
                                                     .arg(request.messageText, request.informativeText,
                                                          buttons.join(QStringLiteral(", "))));
        index = modalLoop_(request);
    }
    if (index < 0 || index >= buttons.size()) index = 0;
    mac_.recorder().record(EventKind::alert, QStringLiteral("alert \"%1\" buttons=[%2] -> %3 (%4)")
                                                 .arg(request.messageText, buttons.join(QStringLiteral(", ")))
                                                 .arg(kAlertFirstButtonReturn + index)
                                                 .arg(buttons[index]));
    return kAlertFirstButtonReturn + index;
}

std::optional<QStringList> SimAlerts::runOpenPanel(const OpenPanelRequest& request) {
    panels_.push_back(request);
    std::optional<QStringList> answer;
    if (!panelAnswers_.empty()) {
        answer = panelAnswers_.front();
        panelAnswers_.pop_front();
    } else if (presenter_) {
        answer = presenter_(request);
    }
    mac_.recorder().record(EventKind::alert,
                           QStringLiteral("open panel files=%1 folders=%2 -> %3")
                               .arg(request.canChooseFiles ? "true" : "false",
                                    request.canChooseDirectories ? "true" : "false",
                                    answer ? QLatin1Char('[') + answer->join(QStringLiteral(", ")) + QLatin1Char(']')
                                           : QStringLiteral("cancel")));
    return answer;
}

void SimAlerts::beep() {
    mac_.recorder().record(EventKind::alert, QStringLiteral("beep"));
}

} // namespace nimbrel::sim
