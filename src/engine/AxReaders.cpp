#include "engine/AxReaders.h"

#include "engine/DockTitles.h"

#include <QByteArray>
#include <QUrl>

namespace nimbrel {

namespace {

const QString kRole = QStringLiteral("AXRole");
const QString kSubrole = QStringLiteral("AXSubrole");
const QString kTitle = QStringLiteral("AXTitle");

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Percent-escapes removed; none when an escape is malformed or the bytes are not UTF-8.
std::optional<QString> removingPercentEncoding(const QString& text) {
    if (!text.contains(QLatin1Char('%'))) return text;
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '%') {
            out.append(utf8[i]);
            continue;
        }
        if (i + 2 >= utf8.size()) return std::nullopt;
        const int hi = hexValue(QChar(utf8[i + 1])), lo = hexValue(QChar(utf8[i + 2]));
        if (hi < 0 || lo < 0) return std::nullopt;
        out.append(char(hi * 16 + lo));
        i += 2;
    }
    const QString decoded = QString::fromUtf8(out);
    if (decoded.toUtf8() != out) return std::nullopt; // not valid UTF-8
    return decoded;
}

} // namespace

std::vector<AXElement> AxReaders::axWindows(Accessibility& ax, const AXElement& element) {
    if (auto list = ax.attribute(element, QStringLiteral("AXWindows")).toElements()) return *list;
    return {};
}

std::optional<QString> AxReaders::stringAttribute(Accessibility& ax, const QString& name, const AXElement& element) {
    return ax.attribute(element, name).toString();
}

bool AxReaders::boolAttribute(Accessibility& ax, const QString& name, const AXElement& element) {
    return ax.attribute(element, name).toBool().value_or(false);
}

std::optional<Point> AxReaders::position(Accessibility& ax, const AXElement& element) {
    return ax.attribute(element, QStringLiteral("AXPosition")).toPoint();
}

std::optional<QString> AxReaders::documentPath(Accessibility& ax, const AXElement& window) {
    const auto text = stringAttribute(ax, QStringLiteral("AXDocument"), window);
    if (!text || text->isEmpty()) return std::nullopt;
    if (text->startsWith(QLatin1String("file://"))) {
        const QUrl url(*text, QUrl::StrictMode);
        if (url.isValid()) {
            // A URL's path has no trailing slash: a folder's "file:///Users/anna/Documents/" is
            // "/Users/anna/Documents".
            QString path = url.path(QUrl::FullyDecoded);
            if (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
            return path;
        }
    }
    return text;
}

QString AxReaders::normalizedPath(const QString& path, const QString& home) {
    QString expanded = path;
    if (expanded == QLatin1String("~"))
        expanded = home;
    else if (expanded.startsWith(QLatin1String("~/")))
        expanded = home + expanded.mid(1);
    const QString decoded = removingPercentEncoding(expanded).value_or(expanded);
    return decoded.trimmed();
}

std::vector<AXElement> AxReaders::realWindows(Accessibility& ax, const AXElement& appElement) {
    static const QStringList excludedSubroles = {QStringLiteral("AXSystemDialog"), QStringLiteral("AXFloatingWindow"),
                                                 QStringLiteral("AXUnknown")};
    std::vector<AXElement> result;
    for (const AXElement& window : axWindows(ax, appElement)) {
        if (auto role = stringAttribute(ax, kRole, window); role && *role != QLatin1String("AXWindow")) continue;
        if (auto subrole = stringAttribute(ax, kSubrole, window); subrole && excludedSubroles.contains(*subrole))
            continue;
        result.push_back(window);
    }
    return result;
}

std::vector<AXElement> AxReaders::finderWindows(Accessibility& ax, const std::vector<AXElement>& windows, bool trash) {
    std::vector<AXElement> result;
    for (const AXElement& window : windows) {
        const auto title = stringAttribute(ax, kTitle, window);
        const bool isTrash = title && isTrashDockTitle(*title);
        if (trash ? isTrash : !isTrash) result.push_back(window);
    }
    return result;
}

} // namespace nimbrel
