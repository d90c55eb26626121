#include "platform/CloudDatabase.h"

namespace nimbrel {

CloudValueKind kindOf(const CloudValue& value) {
    return static_cast<CloudValueKind>(value.index());
}

QStringList CloudRecord::allKeys() const {
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(fields_.size()));
    for (const auto& [key, value] : fields_)
        keys.append(key);
    return keys;
}

std::optional<CloudValue> CloudRecord::value(const QString& key) const {
    auto it = fields_.find(key);
    if (it == fields_.end()) return std::nullopt;
    return it->second;
}

void CloudRecord::set(const QString& key, CloudValue value) {
    fields_[key] = std::move(value);
    removed_.erase(key);
}

void CloudRecord::remove(const QString& key) {
    fields_.erase(key);
    removed_.insert(key);
}

CloudError CloudError::make(int code, QString description) {
    CloudError error;
    error.code = code;
    error.localizedDescription = description.isEmpty() ? defaultDescription(code) : std::move(description);
    return error;
}

QString CloudError::defaultDescription(int code) {
    switch (code) {
    case partialFailure:
        return QStringLiteral("Some items of the request failed.");
    case networkUnavailable:
        return QStringLiteral("The network connection appears to be offline.");
    case networkFailure:
        return QStringLiteral("The network connection was lost.");
    case serviceUnavailable:
        return QStringLiteral("The cloud service is unavailable.");
    case notAuthenticated:
        return QStringLiteral("No account is signed in for the cloud.");
    case unknownItem:
        return QStringLiteral("Record not found.");
    case serverRecordChanged:
        return QStringLiteral("The record was changed on the server.");
    case serverRejectedRequest:
        return QStringLiteral("The server rejected the request.");
    case limitExceeded:
        return QStringLiteral("The request holds too many items.");
    default:
        return QStringLiteral("The cloud database failed.");
    }
}

} // namespace nimbrel
