#include "desktop/DesktopAlert.h"

#include "desktop/ModalSession.h"

#include <algorithm>

namespace nimbrel {

DesktopAlert::DesktopAlert(QObject* parent) : QObject(parent) {}

DesktopAlert::~DesktopAlert() = default;

int DesktopAlert::run(const AlertRequest& request) {
    ModalSession session;
    Shown shown{request, &session, -1};
    if (shown.request.buttons.isEmpty()) shown.request.buttons = {QStringLiteral("OK")};
    shown_.push_back(&shown);
    emit changed();
    if (session.run()) return shown.answer;
    shown_.erase(std::find(shown_.begin(), shown_.end(), &shown));
    emit changed();
    return answerOnQuit(shown.request.buttons);
}

int DesktopAlert::answerOnQuit(const QStringList& buttons) {
    // A Mac application that quits during a modal alert never returns from it, so nothing its
    // answer would start happens. The answer nearest that is the one that dismisses: the
    // "Cancel" button, else the last one, where alerts keep their "Not Now".
    const qsizetype cancel = buttons.indexOf(QStringLiteral("Cancel"));
    if (cancel >= 0) return int(cancel);
    return std::max(0, int(buttons.size()) - 1);
}

QString DesktopAlert::style() const {
    if (!top()) return {};
    switch (top()->style) {
    case AlertStyle::informational:
        return QStringLiteral("informational");
    case AlertStyle::critical:
        return QStringLiteral("critical");
    case AlertStyle::warning:
        break;
    }
    return QStringLiteral("warning");
}

QString DesktopAlert::messageText() const {
    return top() ? top()->messageText : QString();
}

QString DesktopAlert::informativeText() const {
    return top() ? top()->informativeText : QString();
}

QStringList DesktopAlert::buttons() const {
    return top() ? top()->buttons : QStringList();
}

void DesktopAlert::answer(int index) {
    if (shown_.empty() || index < 0 || index >= shown_.back()->request.buttons.size()) return;
    Shown* answered = shown_.back();
    shown_.pop_back();
    answered->answer = index;
    answered->session->end();
    emit changed();
}

void DesktopAlert::cancel() {
    if (const AlertRequest* shown = top()) answer(int(shown->buttons.indexOf(QStringLiteral("Cancel"))));
}

} // namespace nimbrel
