#include "sessions/DockTiles.h"

#include "platform/DockPreferences.h"
#include "platform/Files.h"
#include "sessions/SessionPaths.h"

#include <QUrl>

namespace nimbrel {

QString dockTileLabel(const QString& path) {
    const QString name = lastPathComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QVariantMap makeFileTile(const QString& path, const FileSystem& files) {
    QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    if (files.isDirectory(path) && !url.endsWith(QLatin1Char('/'))) url += QLatin1Char('/');
    const QVariantMap fileData{{QStringLiteral("_CFURLString"), url}, {QStringLiteral("_CFURLStringType"), qint64(15)}};
    const QVariantMap tileData{{QStringLiteral("file-data"), fileData},
                               {QStringLiteral("file-label"), dockTileLabel(path)},
                               {QStringLiteral("file-mod-date"), qint64(0)},
                               {QStringLiteral("file-type"), qint64(41)},
                               {QStringLiteral("parent-mod-date"), qint64(0)}};
    return {{QStringLiteral("tile-type"), QStringLiteral("file-tile")}, {QStringLiteral("tile-data"), tileData}};
}

std::optional<QString> pathFromDockTile(const QVariantMap& tile) {
    const QVariant tileData = tile.value(QStringLiteral("tile-data"));
    if (tileData.typeId() != QMetaType::QVariantMap) return std::nullopt;
    const QVariant fileData = tileData.toMap().value(QStringLiteral("file-data"));
    if (fileData.typeId() != QMetaType::QVariantMap) return std::nullopt;
    const QVariant urlText = fileData.toMap().value(QStringLiteral("_CFURLString"));
    if (urlText.typeId() != QMetaType::QString) return std::nullopt;
    const QString text = urlText.toString();
    if (!text.startsWith(QLatin1String("file://"))) return text;
    const QUrl url(text);
    if (!url.isValid()) return text;
    // The URL's path alone: a host ("file://localhost/...") is no part of the file's path.
    QString path = url.path(QUrl::FullyDecoded);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

std::optional<QStringList> persistentAppPaths(const std::optional<QVariantMap>& domain) {
    if (!domain) return std::nullopt;
    if (!domain->contains(kDockPersistentAppsKey)) return QStringList();
    const QVariant apps = domain->value(kDockPersistentAppsKey);
    if (apps.typeId() != QMetaType::QVariantList) return std::nullopt;
    const QVariantList tiles = apps.toList();
    for (const QVariant& tile : tiles)
        if (tile.typeId() != QMetaType::QVariantMap) return std::nullopt;
    QStringList paths;
    for (const QVariant& tile : tiles)
        if (auto path = pathFromDockTile(tile.toMap())) paths << *path;
    return paths;
}

QStringList normalizedDockPaths(const QStringList& paths) {
    QStringList normalized;
    normalized.reserve(paths.size());
    for (const QString& p : paths)
        normalized << standardizedSessionPath(p).toLower();
    return normalized;
}

bool sameDockPaths(const QStringList& a, const QStringList& b) {
    return normalizedDockPaths(a) == normalizedDockPaths(b);
}

QStringList writableDockPaths(const QStringList& paths) {
    static const QString finder =
        standardizedSessionPath(QStringLiteral("/System/Library/CoreServices/Finder.app")).toLower();
    QStringList written;
    for (const QString& p : paths)
        if (standardizedSessionPath(p).toLower() != finder && !written.contains(p)) written << p;
    return written;
}

} // namespace nimbrel
