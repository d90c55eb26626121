#pragma once

#include "sessions/SessionApp.h"

#include <QVariantMap>

namespace nimbrel {

class FileSystem;
class Workspace;

// A session app's icon for QML ({"generic", "filePath", "iconPath", "title"}): the file at its
// path when one exists, else the application its bundle identifier names, else the generic
// application symbol.
QVariantMap sessionAppIcon(const NimbrelSessionApp& app, const Workspace& workspace, const FileSystem& files);

} // namespace nimbrel
