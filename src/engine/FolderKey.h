#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

// How a folder is recognised among Finder's windows: its display name folded like every
// other name, and its path with "~" expanded and normalised.
struct FolderKey {
    QString name; // folded display name
    QString path; // normalised path

    // `home` expands a leading "~" in `path`.
    static FolderKey of(const QString& displayName, const QString& path, const QString& home);

    // Whether a window with this title and document path shows the folder: its folded title
    // equals or begins with the folded name, else its normalised document path equals the
    // path (a trailing slash aside). A folder whose name folds to nothing is matched by its path only; otherwise it
    // would take any titled window for its own.
    bool matches(const std::optional<QString>& windowTitle, const std::optional<QString>& documentPath,
                 const QString& home) const;

    friend bool operator==(const FolderKey&, const FolderKey&) = default;
};

} // namespace nimbrel
