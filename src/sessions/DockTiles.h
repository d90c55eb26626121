#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// The Dock's "persistent-apps" tiles as paths, and paths as tiles.
namespace nimbrel {

class FileSystem;

// The tile's "file-label": the path's last component without its extension.
QString dockTileLabel(const QString& path);
// A "file-tile" for `path`: its file URL, its label (the file name without extension) and the
// fixed numbers the Dock expects. `files` says whether the path is a folder (its URL ends in "/").
QVariantMap makeFileTile(const QString& path, const FileSystem& files);
// The path a tile stands for: its "_CFURLString", decoded when it is a "file://" URL; none when
// the tile has no such text.
std::optional<QString> pathFromDockTile(const QVariantMap& tile);
// The paths of the tiles of a "com.apple.dock" domain's "persistent-apps" (none there: an empty
// Dock); none when there is no domain (a Dock that cannot be read, not an empty one) or its
// "persistent-apps" is no list of tiles.
std::optional<QStringList> persistentAppPaths(const std::optional<QVariantMap>& domain);
// Each path tilde-expanded, standardized and lower-cased: how Dock paths are compared.
QStringList normalizedDockPaths(const QStringList& paths);
bool sameDockPaths(const QStringList& a, const QStringList& b);
// What a write of `paths` puts in the Dock: no Finder (the Dock shows it by itself) and each
// path (by its exact text) once.
QStringList writableDockPaths(const QStringList& paths);

} // namespace nimbrel
