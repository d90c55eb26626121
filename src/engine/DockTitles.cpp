#include "engine/DockTitles.h"

#include "model/AppCapabilities.h"

#include <QFileInfo>

namespace nimbrel {

bool isTrashDockTitle(const QString& title) {
    const QString n = normalizedAppName(title);
    if (n.isEmpty()) return false;
    static const QStringList exact = {QStringLiteral("trash"), QStringLiteral("opentrash"), QStringLiteral("trashfull"),
                                      QStringLiteral("trashempty")};
    return exact.contains(n) || n.startsWith(QLatin1String("trash")) || n.endsWith(QLatin1String("trash"));
}

bool isNonApplicationDockItem(const QString& title) {
    static const QStringList names = {
        QStringLiteral("apps"),         QStringLiteral("appgallery"),       QStringLiteral("appsgallery"),
        QStringLiteral("showapps"),     QStringLiteral("showapplications"), QStringLiteral("launchpad"),
        QStringLiteral("showlaunchpad")};
    return names.contains(normalizedAppName(title));
}

std::optional<QString> appKeyFor(const RunningApplication& app) {
    if (app.bundleIdentifier) return app.bundleIdentifier;
    if (app.bundlePath) return app.bundlePath;
    return std::nullopt;
}

bool applicationMatchesDockTitle(const RunningApplication& app, const QString& normalizedTitle) {
    if (app.activationPolicy != ActivationPolicy::regular) return false;
    if (app.localizedName && normalizedAppName(*app.localizedName) == normalizedTitle) return true;
    if (app.bundlePath) {
        const QString fileName = QFileInfo(*app.bundlePath).fileName();
        const int dot = fileName.lastIndexOf(QLatin1Char('.'));
        const QString base = dot > 0 ? fileName.left(dot) : fileName;
        if (normalizedAppName(base) == normalizedTitle) return true;
    }
    if (app.bundleIdentifier) {
        const QString last = app.bundleIdentifier->section(QLatin1Char('.'), -1);
        if (normalizedAppName(last) == normalizedTitle) return true;
    }
    return false;
}

} // namespace nimbrel
