#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace nimbrel {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// The first button answers 1000, the second 1001, and so on.
constexpr int kAlertFirstButtonReturn = 1000;
constexpr int kAlertSecondButtonReturn = 1001;
constexpr int kAlertThirdButtonReturn = 1002;

struct AlertRequest {
    QString messageText;
    QString informativeText;
    AlertStyle style = AlertStyle::warning;
    QStringList buttons; // in the order added; none means one "OK"
};

struct OpenPanelRequest {
    QString title;
    QString message;
    QString prompt;
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool allowsMultipleSelection = false;
    bool canCreateDirectories = true;
    QStringList allowedContentTypes; // file extensions or type identifiers; empty = any
    QString directory;               // where the panel starts
};

// Modal alerts, open panels and the system beep. Main thread only; alerts and panels block
// until answered.
class Alerts {
  public:
    virtual ~Alerts() = default;

    // Returns kAlertFirstButtonReturn + the index of the chosen button.
    virtual int runModal(const AlertRequest& request) = 0;
    // The chosen paths, or none when cancelled.
    virtual std::optional<QStringList> runOpenPanel(const OpenPanelRequest& request) = 0;
    // The short alert sound that answers a request the program refuses.
    virtual void beep() = 0;
};

} // namespace nimbrel
