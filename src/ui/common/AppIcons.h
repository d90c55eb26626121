#pragma once

#include <QColor>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace nimbrel {

class FileSystem;
class Workspace;
struct NimbrelRuleAppTarget;

// Which icon an app view shows: the workspace's icon of a file, or the system's generic
// application icon. `title` names the file for views that draw a tile in its place.
struct AppIconRef {
    bool generic = true;
    QString filePath; // the file whose icon it is (tilde expanded)
    QString iconPath; // the workspace's image of it; may be empty
    QString title;
    QString source; // a URL of that image on this machine, when it can be drawn

    // {"generic", "filePath", "iconPath", "title", "initials", "tint", "source"} for QML.
    QVariantMap toVariant() const;
    friend bool operator==(const AppIconRef&, const AppIconRef&) = default;
};

// What an app's tile shows where no picture of its icon can be drawn, the same on every screen:
// the initials of its name (two words: their first letters; one word: its first two letters,
// the first in capitals) on one colour per name.
QString appInitials(const QString& title);
QColor appTint(const QString& title);
// An installed app's icon for the app icon view: its tile, and `imageSource` (a URL) when its
// picture can be drawn. {"generic": false, "title", "initials", "tint", "source"}.
QVariantMap appTileIcon(const QString& title, const QString& imageSource);

// A URL of the Mac's icon image at `iconPath` for the picture views, found through `files` as
// every other file of the Mac; empty when there is no file of an icon's size there.
QString drawableIconSource(const FileSystem& files, const QString& iconPath);

// The generic application icon.
AppIconRef genericAppIcon();
// The workspace's icon of the file at `path`; a path beginning with "~" is expanded first.
AppIconRef fileIcon(const Workspace& workspace, const FileSystem& files, const QString& path);
// A rule target's icon: its path when it has one, else the application its bundle identifier
// names, else the generic icon.
AppIconRef appTargetIcon(const Workspace& workspace, const FileSystem& files, const NimbrelRuleAppTarget& target);

} // namespace nimbrel
