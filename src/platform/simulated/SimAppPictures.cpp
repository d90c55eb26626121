#include "platform/simulated/SimAppPictures.h"

#include "platform/simulated/SimPlist.h"
#include "platform/simulated/SimulatedMac.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

// The pictures of the Mac's own apps, drawn by make-app-pictures.py beside them and kept in the
// program as resources: one per bundle identifier.
namespace nimbrel::sim {

namespace {

const QString kPictures = QStringLiteral(":/simulated/app-pictures/");

// The bundle identifiers that have a picture here: a dozen, read from the resources once.
const QSet<QString>& picturedApps() {
    static const QSet<QString> identifiers = [] {
        QSet<QString> out;
        for (const QString& file : QDir(kPictures).entryList(QDir::Files))
            if (file.endsWith(QLatin1String(".svg"))) out.insert(file.chopped(4));
        return out;
    }();
    return identifiers;
}

QString iconFileName(const QVariantMap& info) {
    const QString icon = info.value(QStringLiteral("CFBundleIconFile")).toString();
    if (icon.isEmpty()) return {};
    return icon.endsWith(QLatin1String(".icns")) ? icon : icon + QStringLiteral(".icns");
}

} // namespace

void writeAppPicture(const QString& realBundlePath, const QString& bundleIdentifier) {
    // Asked first, before the bundle is read: on a Mac with thousands of apps, a dozen have one.
    if (!picturedApps().contains(bundleIdentifier)) return;
    const QString name = iconFileName(readBundleInfo(realBundlePath));
    if (name.isEmpty()) return;
    const QString target = realBundlePath + QStringLiteral("/Contents/Resources/") + name;
    if (QFileInfo::exists(target) || !QDir().mkpath(QFileInfo(target).path())) return;
    QFile picture(kPictures + bundleIdentifier + QStringLiteral(".svg"));
    QFile out(target);
    if (picture.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) out.write(picture.readAll());
}

QString SimulatedMac::iconPath(const QString& path) const {
    if (path.endsWith(QLatin1String(".app"))) {
        const QString name = iconFileName(readBundleInfo(realPath(path)));
        if (!name.isEmpty()) return path + QStringLiteral("/Contents/Resources/") + name;
    }
    return QFileInfo(realPath(path)).isDir()
               ? QStringLiteral("/System/Library/CoreServices/CoreTypes.bundle/GenericFolderIcon.icns")
               : QStringLiteral("/System/Library/CoreServices/CoreTypes.bundle/GenericDocumentIcon.icns");
}

void SimulatedMac::addMissingAppPictures() {
    for (const InstalledApp& app : installedApplications())
        writeAppPicture(realPath(app.bundlePath), app.bundleIdentifier);
}

} // namespace nimbrel::sim
