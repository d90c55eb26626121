#include "model/ApplicationFolderWalk.h"

#include "platform/Files.h"

#include <set>

namespace nimbrel {

namespace {

QString pathExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1) return {};
    return name.mid(dot + 1);
}

// Folders the system shows as single files; their contents are never walked.
bool isPackage(const QString& name) {
    static const QStringList kPackageExtensions = {
        QStringLiteral("app"),      QStringLiteral("bundle"),      QStringLiteral("framework"),
        QStringLiteral("plugin"),   QStringLiteral("kext"),        QStringLiteral("xpc"),
        QStringLiteral("appex"),    QStringLiteral("pkg"),         QStringLiteral("mpkg"),
        QStringLiteral("prefPane"), QStringLiteral("qlgenerator"), QStringLiteral("saver"),
        QStringLiteral("wdgt"),     QStringLiteral("component"),   QStringLiteral("photoslibrary"),
        QStringLiteral("rtfd"),     QStringLiteral("xcodeproj"),   QStringLiteral("playground"),
    };
    const QString extension = pathExtension(name);
    return !extension.isEmpty() && kPackageExtensions.contains(extension, Qt::CaseInsensitive);
}

QString childPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

void walk(const FileSystem& files, const QString& folder, std::set<QString>& found) {
    for (const FileEntry& entry : files.list(folder, /*skipHidden=*/true)) {
        if (entry.isHidden || entry.name.startsWith(QLatin1Char('.'))) continue;
        const QString path = entry.path.isEmpty() ? childPath(folder, entry.name) : entry.path;
        if (hasAppExtension(entry.name)) {
            found.insert(path);
            continue; // nothing inside a bundle is searched
        }
        if (entry.isSymlink || !entry.isDirectory || isPackage(entry.name)) continue;
        walk(files, path, found);
    }
}

} // namespace

bool hasAppExtension(const QString& name) {
    return pathExtension(name) == QLatin1String("app");
}

QStringList scanApplicationFolder(const FileSystem& files, const QString& folder) {
    if (!files.exists(folder) || !files.isDirectory(folder)) return {};
    std::set<QString> found;
    walk(files, folder, found);
    QStringList out;
    out.reserve(static_cast<qsizetype>(found.size()));
    for (const QString& path : found)
        out.append(path);
    return out;
}

} // namespace nimbrel
