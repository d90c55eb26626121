#include "platform/Keychain.h"
#include "platform/Log.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace nimbrel {

namespace {
const QString kComponent = QStringLiteral("NimbrelKeychain");
}

FileKeychain::FileKeychain(QString path) : path_(std::move(path)) {
    load();
}

void FileKeychain::load() {
    removeStaleTemporaries(path_);
    const BoundedRead read = readFileWithin(path_, kMaxFileBytes);
    if (read.status == BoundedRead::Status::missing) return;
    if (read.status != BoundedRead::Status::read) return setAside(read.error);

    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(read.bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return setAside(QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
    if (!doc.isArray()) return setAside(QStringLiteral("the file does not hold a list of items"));
    std::map<std::pair<QString, QString>, Item> items;
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        if (!o.value(QStringLiteral("service")).isString() || !o.value(QStringLiteral("account")).isString() ||
            !o.value(QStringLiteral("data")).isString())
            return setAside(QStringLiteral("an item without a service, an account or data"));
        // Files written before items had an accessibility read as readable when unlocked.
        const QString accessibility =
            o.value(QStringLiteral("accessibility")).toString(kKeychainAccessibleWhenUnlocked);
        items[{o.value(QStringLiteral("service")).toString(), o.value(QStringLiteral("account")).toString()}] =
            Item{QByteArray::fromBase64(o.value(QStringLiteral("data")).toString().toLatin1()), accessibility};
    }
    items_ = std::move(items);
}

void FileKeychain::setAside(const QString& problem) {
    // Kept for inspection under a name no other file has; never written over.
    if (const std::optional<QString> kept = moveAside(path_, QStringLiteral("unreadable"))) {
        setAsideProblem_ = QStringLiteral("The keychain file could not be read (%1). It was kept as %2.")
                               .arg(problem, QFileInfo(*kept).fileName());
    } else {
        writable_ = false;
        setAsideProblem_ = QStringLiteral("The keychain file could not be read (%1) and could not be moved "
                                          "aside; it is left untouched and no item is saved.")
                               .arg(problem);
    }
    logLine(kComponent, setAsideProblem_);
}

bool FileKeychain::save() {
    if (!writable_)
        return saveFailed(QStringLiteral("the unreadable %1 is left as it is and no item is saved over it").arg(path_));
    QJsonArray array;
    for (const auto& [key, item] : items_) {
        array.append(QJsonObject{{QStringLiteral("service"), key.first},
                                 {QStringLiteral("account"), key.second},
                                 {QStringLiteral("data"), QString::fromLatin1(item.data.toBase64())},
                                 {QStringLiteral("accessibility"), item.accessibility}});
    }
    QString error;
    if (writeFileWithin(path_, QJsonDocument(array).toJson(QJsonDocument::Compact), kMaxFileBytes, &error, 0600))
        return true;
    return saveFailed(error);
}

bool FileKeychain::saveFailed(const QString& error) {
    logLine(kComponent, QStringLiteral("could not save the keychain: ") + error);
    if (failed_) failed_(error);
    return false;
}

int FileKeychain::saved(int status, const std::pair<QString, QString>& key, const std::optional<Item>& previous) {
    if (status != errSecSuccess || save()) return status;
    if (previous)
        items_[key] = *previous;
    else
        items_.erase(key);
    return errSecIO;
}

int FileKeychain::add(const QString& service, const QString& account, const QByteArray& data,
                      const QString& accessibility) {
    return saved(InMemoryKeychain::add(service, account, data, accessibility), {service, account}, std::nullopt);
}

int FileKeychain::update(const QString& service, const QString& account, const QByteArray& data,
                         const QString& accessibility) {
    auto it = items_.find({service, account});
    const std::optional<Item> previous = it == items_.end() ? std::nullopt : std::optional(it->second);
    return saved(InMemoryKeychain::update(service, account, data, accessibility), {service, account}, previous);
}

int FileKeychain::remove(const QString& service, const QString& account) {
    auto it = items_.find({service, account});
    const std::optional<Item> previous = it == items_.end() ? std::nullopt : std::optional(it->second);
    return saved(InMemoryKeychain::remove(service, account), {service, account}, previous);
}

} // namespace nimbrel
