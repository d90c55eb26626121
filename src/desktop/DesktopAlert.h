#pragma once

#include "platform/Alerts.h"

#include <QObject>
#include <QStringList>

#include <vector>

namespace nimbrel {

class ModalSession;

// The simulated Mac's modal alert as the desktop window draws it (AlertSheet.qml): the style's
// icon, the message, the informative text and the buttons, the first of them the default.
// `run` is what the Mac's alerts call for an alert no script answers: it shows the alert and
// blocks, as a modal alert does, running the event loop until a person answers. An alert raised
// while one is up is shown over it and answered first, as a modal run inside another is.
class DesktopAlert : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool active READ active NOTIFY changed)
    Q_PROPERTY(QString style READ style NOTIFY changed)
    Q_PROPERTY(QString messageText READ messageText NOTIFY changed)
    Q_PROPERTY(QString informativeText READ informativeText NOTIFY changed)
    Q_PROPERTY(QStringList buttons READ buttons NOTIFY changed)
  public:
    explicit DesktopAlert(QObject* parent = nullptr);
    ~DesktopAlert() override;

    // Shows the alert and waits for its answer: the index of the chosen button (0 = first).
    int run(const AlertRequest& request);

    // The alert on top, the one a person answers.
    bool active() const { return !shown_.empty(); }
    // "warning", "informational" or "critical".
    QString style() const;
    QString messageText() const;
    QString informativeText() const;
    // In the order added; an alert without buttons has one "OK".
    QStringList buttons() const;

    // A button of the alert on top, pressed.
    Q_INVOKABLE void answer(int index);
    // Escape: presses the alert's "Cancel" button, where it has one.
    Q_INVOKABLE void cancel();

  signals:
    void changed();

  private:
    // What an alert answers when the program quits while it is up.
    static int answerOnQuit(const QStringList& buttons);

    struct Shown {
        AlertRequest request;
        ModalSession* session;
        int answer;
    };
    const AlertRequest* top() const { return shown_.empty() ? nullptr : &shown_.back()->request; }

    std::vector<Shown*> shown_; // the top last
};

} // namespace nimbrel
