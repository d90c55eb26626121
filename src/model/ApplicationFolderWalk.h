#pragma once

#include <QString>
#include <QStringList>

namespace nimbrel {

class FileSystem;

// The ".app" bundles in `folder` and, deeper, in its subfolders: hidden entries are
// skipped, links are never followed, and neither a found bundle nor any other package
// is looked into. A missing or unreadable folder yields nothing. Paths come back
// once each, sorted. Safe to call from a worker thread (it only reads `files`).
QStringList scanApplicationFolder(const FileSystem& files, const QString& folder);

// Whether `name` has exactly the path extension "app" (case-sensitive, as bundles are taken).
bool hasAppExtension(const QString& name);

} // namespace nimbrel
