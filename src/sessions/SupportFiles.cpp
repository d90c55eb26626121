#include "sessions/SupportFiles.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace nimbrel {

namespace {
SupportFileRemoveFault& removeFault() {
    static SupportFileRemoveFault fault;
    return fault;
}
} // namespace

SupportFileRemoveFault setSupportFileRemoveFaultForTesting(SupportFileRemoveFault fault) {
    return std::exchange(removeFault(), std::move(fault));
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
    if (error) error->clear();
    BoundedRead read = readFileWithin(path_, maxBytes_);
    switch (read.status) {
    case BoundedRead::Status::read:
        return std::move(read.bytes);
    case BoundedRead::Status::missing:
        return std::nullopt;
    case BoundedRead::Status::tooLarge:
        if (error)
            *error = QStringLiteral("The file \u201c%1\u201d is too large to be read (%2).")
                         .arg(QFileInfo(path_).fileName(), read.error);
        return std::nullopt;
    case BoundedRead::Status::failed:
        break;
    }
    if (error)
        *error = QStringLiteral("The file \u201c%1\u201d couldn\u2019t be opened.").arg(QFileInfo(path_).fileName());
    return std::nullopt;
}

bool SupportFile::write(const QByteArray& data, QString* error) const {
    return writeFileWithin(path_, data, maxBytes_, error);
}

void SupportFile::removeStaleTemporaries() const {
    nimbrel::removeStaleTemporaries(path_);
}

bool SupportFile::remove() const {
    if (removeFault() && removeFault()(path_)) return false;
    return QFile::remove(path_) || !exists();
}

std::optional<QString> SupportFile::moveAside(const QString& reason) const {
    return nimbrel::moveAside(path_, reason);
}

std::optional<QString> SupportFile::copyAside() const {
    return nimbrel::copyAside(path_, QStringLiteral("unreadable"));
}

} // namespace nimbrel
