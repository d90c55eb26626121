#include "engine/AutomationAlert.h"

#include "engine/WindowManager.h"
#include "platform/Alerts.h"
#include "platform/Platform.h"

#include <QCoreApplication>

namespace nimbrel {

QString AutomationAlert::programName(const QVariant& bundleDisplayName, const QVariant& bundleName) {
    if (bundleDisplayName.typeId() == QMetaType::QString) return bundleDisplayName.toString();
    if (bundleName.typeId() == QMetaType::QString) return bundleName.toString();
    return QStringLiteral("Nimbrel");
}

void AutomationAlert::showBrowserAutomationPermissionAlert(const QString& browser) {
    wm_.log(QStringLiteral("browser automation permission required for ") + browser +
            QStringLiteral(". Grant Nimbrel Automation access in System Settings > Privacy & Security > Automation."));
    wm_.record(NimbrelActivityType::error, QStringLiteral("Browser Automation Permission Needed"),
               QStringLiteral("Nimbrel needs Automation permission to control ") + browser + QStringLiteral("."));
    if (wm_.hasShownBrowserAutomationPermissionWarning) return;
    wm_.hasShownBrowserAutomationPermissionWarning = true;
    Alerts* alerts = wm_.platform().alerts;
    if (!alerts) return;

    // This machine has no bundle: the application object carries the two names when set.
    QVariant displayName;
    QVariant bundleName;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        displayName = app->property("CFBundleDisplayName");
        bundleName = app->property("CFBundleName");
    }
    const QString program = programName(displayName, bundleName);
    AlertRequest request;
    request.messageText = QStringLiteral("Browser Automation Permission Needed");
    request.informativeText = program + QStringLiteral(" needs macOS Automation permission to control ") + browser +
                              QStringLiteral(" tabs and windows.") + QStringLiteral("\n\n") +
                              QStringLiteral("Open System Settings \u2192 Privacy & Security \u2192 Automation, then "
                                             "enable ") +
                              browser + QStringLiteral(" under ") + program + QStringLiteral(".");
    request.style = AlertStyle::informational;
    request.buttons = {QStringLiteral("Open Automation Settings"), QStringLiteral("Not Now")};
    if (alerts->runModal(request) == kAlertFirstButtonReturn) wm_.workspace().open(automationSettingsURL);
}

} // namespace nimbrel
