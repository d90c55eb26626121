#include "platform/Keychain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace nimbrel {

FileKeychain::FileKeychain(QString path) : path_(std::move(path)) {
    load();
}

void FileKeychain::load() {
    QFile file(path_);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    file.close();
    bool good = doc.isArray();
    std::map<std::pair<QString, QString>, Item> items;
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        if (!o.value(QStringLiteral("service")).isString() || !o.value(QStringLiteral("account")).isString() ||
            !o.value(QStringLiteral("data")).isString()) {
            good = false;
            break;
        }
        // Files written before items had an accessibility read as readable when unlocked.
        const QString accessibility =
            o.value(QStringLiteral("accessibility")).toString(kKeychainAccessibleWhenUnlocked);
        items[{o.value(QStringLiteral("service")).toString(), o.value(QStringLiteral("account")).toString()}] =
            Item{QByteArray::fromBase64(o.value(QStringLiteral("data")).toString().toLatin1()), accessibility};
    }
    if (!good) {
        // Keep the damaged file for inspection instead of overwriting it later.
        QFile::rename(path_, path_ + QStringLiteral(".unreadable-") +
                                 QString::number(QFileInfo(path_).lastModified().toSecsSinceEpoch()));
        return;
    }
    items_ = std::move(items);
}

bool FileKeychain::save() {
    QJsonArray array;
    for (const auto& [key, item] : items_) {
        array.append(QJsonObject{{QStringLiteral("service"), key.first},
                                 {QStringLiteral("account"), key.second},
                                 {QStringLiteral("data"), QString::fromLatin1(item.data.toBase64())},
                                 {QStringLiteral("accessibility"), item.accessibility}});
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(array).toJson(QJsonDocument::Compact));
    if (!file.commit()) return false;
    return QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

int FileKeychain::add(const QString& service, const QString& account, const QByteArray& data,
                      const QString& accessibility) {
    int status = InMemoryKeychain::add(service, account, data, accessibility);
    if (status == errSecSuccess && !save()) {
        items_.erase({service, account});
        return errSecIO;
    }
    return status;
}

int FileKeychain::update(const QString& service, const QString& account, const QByteArray& data,
                         const QString& accessibility) {
    auto it = items_.find({service, account});
    const std::optional<Item> previous = it == items_.end() ? std::nullopt : std::optional(it->second);
    int status = InMemoryKeychain::update(service, account, data, accessibility);
    if (status == errSecSuccess && !save()) {
        if (previous) items_[{service, account}] = *previous;
        return errSecIO;
    }
    return status;
}

int FileKeychain::remove(const QString& service, const QString& account) {
    auto it = items_.find({service, account});
    const std::optional<Item> previous = it == items_.end() ? std::nullopt : std::optional(it->second);
    int status = InMemoryKeychain::remove(service, account);
    if (status == errSecSuccess && !save()) {
        if (previous) items_[{service, account}] = *previous;
        return errSecIO;
    }
    return status;
}

} // namespace nimbrel
