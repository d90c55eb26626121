#include "sessions/SessionPaths.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>

namespace nimbrel {

QString expandTildeInSessionPath(const QString& path) {
    if (Platform::isInstalled() && Platform::current().files) return Platform::current().files->expandTilde(path);
    if (path == QLatin1String("~")) return QDir::homePath();
    if (path.startsWith(QLatin1String("~/"))) return QDir::homePath() + path.mid(1);
    return path;
}

QString standardizedSessionPath(const QString& path) {
    const QString expanded = expandTildeInSessionPath(path);
    if (expanded.isEmpty()) return expanded;
    return QDir::cleanPath(expanded);
}

QString lastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    if (trimmed == QLatin1String("/")) return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString quotedPathList(const QStringList& paths) {
    QStringList quoted;
    for (const QString& p : paths)
        quoted << QLatin1Char('"') + p + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

} // namespace nimbrel
