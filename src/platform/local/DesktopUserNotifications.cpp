#include "platform/local/DesktopUserNotifications.h"

#include <QProcess>
#include <QStandardPaths>

namespace nimbrel {

DesktopUserNotifications::DesktopUserNotifications(Scheduler& scheduler, Clock& clock)
    : RecordingUserNotifications(scheduler, clock, false) {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        gdbus_ = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
}

QString DesktopUserNotifications::variantString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '"') {
            out += QLatin1Char('\\');
            out += c;
        } else if (u < 0x20 || u == 0x7f) {
            out += QStringLiteral("\\u%1").arg(static_cast<unsigned>(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QStringList DesktopUserNotifications::notifyArguments(const NotificationRequest& request) {
    return {QStringLiteral("call"),
            QStringLiteral("--session"),
            QStringLiteral("--dest"),
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("--object-path"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("--method"),
            QStringLiteral("org.freedesktop.Notifications.Notify"),
            variantString(QStringLiteral("Nimbrel")), // application name
            QStringLiteral("0"),                      // replaces no earlier notification
            variantString(QString()),                 // icon
            variantString(request.title),
            variantString(request.body),
            QStringLiteral("@as []"),    // actions
            QStringLiteral("@a{sv} {}"), // hints
            QStringLiteral("-1")};       // the service's own timeout
}

void DesktopUserNotifications::present(const NotificationRequest& request) {
    if (gdbus_.isEmpty()) return;
    QProcess::startDetached(gdbus_, notifyArguments(request));
}

} // namespace nimbrel
