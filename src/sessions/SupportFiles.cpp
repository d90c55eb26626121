#include "sessions/SupportFiles.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nimbrel {

namespace {
const QString kAsideReason = QStringLiteral("unreadable");
}

QString sessionsSupportFolder(const Locations& locations) {
    const QString folder = locations.applicationSupport.isEmpty() ? locations.home + QStringLiteral("/Nimbrel")
                                                                  : locations.nimbrelSupportFolder();
    QDir().mkpath(folder);
    return folder;
}

bool SupportFile::exists() const {
    return QFileInfo(path_).exists();
}

std::optional<QByteArray> SupportFile::read(QString* error) const {
    QFile file(path_);
    if (!file.exists()) {
        if (error) error->clear();
        return std::nullopt;
    }
    if (!QFileInfo(path_).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                QStringLiteral("The file \u201c%1\u201d couldn\u2019t be opened.").arg(QFileInfo(path_).fileName());
        return std::nullopt;
    }
    return file.readAll();
}

bool SupportFile::write(const QByteArray& data, QString* error) const {
    return writeFileAtomically(path_, data, error);
}

bool SupportFile::remove() const {
    return QFile::remove(path_);
}

std::optional<QString> SupportFile::moveAside(const QString& reason) const {
    return nimbrel::moveAside(path_, reason.isEmpty() ? kAsideReason : reason);
}

std::optional<QString> SupportFile::copyAside() const {
    return nimbrel::copyAside(path_, kAsideReason);
}

} // namespace nimbrel
