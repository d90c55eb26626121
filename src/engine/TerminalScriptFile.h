#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbrel {

// The temporary bash file of a terminal script action.
namespace terminalscriptfile {

// Writes `contents` to a new file "nimbrel_<UUID>.sh" in `folder` (a private folder of the
// program): created exclusively, never through a link, with mode 0700 from the start. On
// any failure nothing is left behind, and `error` says why. Answers the file's path.
std::optional<QString> create(const QString& folder, const QByteArray& contents, QString* error);
// Removes the file; a file already gone is no failure.
void remove(const QString& path);

} // namespace terminalscriptfile
} // namespace nimbrel
