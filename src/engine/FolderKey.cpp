#include "engine/FolderKey.h"

#include "engine/AxReaders.h"
#include "model/AppCapabilities.h"

namespace nimbrel {

FolderKey FolderKey::of(const QString& displayName, const QString& path, const QString& home) {
    return {normalizedAppName(displayName), AxReaders::normalizedPath(path, home)};
}

bool FolderKey::matches(const std::optional<QString>& windowTitle, const std::optional<QString>& documentPath,
                        const QString& home) const {
    if (!name.isEmpty() && windowTitle) {
        const QString folded = normalizedAppName(*windowTitle);
        if (folded.startsWith(name)) return true;
    }
    return documentPath && AxReaders::normalizedPath(*documentPath, home) == path;
}

} // namespace nimbrel
