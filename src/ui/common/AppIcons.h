#pragma once

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

    // {"generic", "filePath", "iconPath", "title"} for QML.
    QVariantMap toVariant() const;
    friend bool operator==(const AppIconRef&, const AppIconRef&) = default;
};

// The generic application icon.
AppIconRef genericAppIcon();
// The workspace's icon of the file at `path`; a path beginning with "~" is expanded first.
AppIconRef fileIcon(const Workspace& workspace, const FileSystem& files, const QString& path);
// A rule target's icon: its path when it has one, else the application its bundle identifier
// names, else the generic icon.
AppIconRef appTargetIcon(const Workspace& workspace, const FileSystem& files, const NimbrelRuleAppTarget& target);

} // namespace nimbrel
