#pragma once

#include <QString>
#include <QVariant>

namespace nimbrel {

class WindowManager;

// Tells the user that a browser refused to be scripted: every time in the activity log,
// once per run as a modal alert that can open the Automation settings.
class AutomationAlert {
  public:
    static inline const QString automationSettingsURL =
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation");

    explicit AutomationAlert(WindowManager& wm) : wm_(wm) {}

    void showBrowserAutomationPermissionAlert(const QString& browser);

    // The program's name as the alert says it: the display name, else the bundle name,
    // when either is text, else "Nimbrel".
    static QString programName(const QVariant& bundleDisplayName, const QVariant& bundleName);

  private:
    WindowManager& wm_;
};

} // namespace nimbrel
