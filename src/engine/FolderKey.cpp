#include "engine/FolderKey.h"

#include "engine/AxReaders.h"
#include "model/AppCapabilities.h"

namespace nimbrel {

namespace {
// Finder reports a folder's document with a trailing slash ("file:///Users/anna/Projects/").
QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}
} // namespace

FolderKey FolderKey::of(const QString& displayName, const QString& path, const QString& home) {
    return {normalizedAppName(displayName), AxReaders::normalizedPath(path, home)};
}

bool FolderKey::matches(const std::optional<QString>& windowTitle, const std::optional<QString>& documentPath,
                        const QString& home) const {
    if (!name.isEmpty() && windowTitle) {
        const QString folded = normalizedAppName(*windowTitle);
        if (folded.startsWith(name)) return true;
    }
    return documentPath &&
           withoutTrailingSlash(AxReaders::normalizedPath(*documentPath, home)) == withoutTrailingSlash(path);
}

} // namespace nimbrel
