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

namespace {
// Escaped as a string literal, so a path cannot end its quotes or start a log line of its own.
QString escapedPath(const QString& path) {
    QString out;
    for (const QChar c : path) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\'':
            out += QStringLiteral("\\'");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\0':
            out += QStringLiteral("\\0");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
            else
                out += c;
        }
    }
    return out;
}
} // namespace

QString quotedPathList(const QStringList& paths) {
    QStringList quoted;
    for (const QString& p : paths)
        quoted << QLatin1Char('"') + escapedPath(p) + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

} // namespace nimbrel
