#pragma once

#include <QString>
#include <QStringList>

namespace nimbrel {

// A leading "~" becomes the home folder of the Mac's disk as the installed platform sees it
// (this machine's home folder when none is installed); anything else stays as it is.
QString expandTildeInSessionPath(const QString& path);
// The path of the file URL made from `path` after the tilde is expanded, standardized: "." and
// ".." components resolved, repeated and trailing slashes dropped. Letter case is kept.
QString standardizedSessionPath(const QString& path);
// The last path component ("a.jpg" of "~/Pictures/a.jpg"), trailing slashes ignored.
QString lastPathComponent(const QString& path);
// `["/a", "/b"]`: how path lists appear in log lines.
QString quotedPathList(const QStringList& paths);

} // namespace nimbrel
