#include "platform/CloudDatabase.h"

#include <algorithm>

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

namespace {

bool byName(const CloudFields::value_type& field, const QString& key) {
    return field.first < key;
}

} // namespace

CloudFields::CloudFields(std::initializer_list<value_type> fields) {
    for (const value_type& field : fields)
        set(field.first, field.second);
}

CloudFields::const_iterator CloudFields::find(const QString& key) const {
    // A few names: a look at each is quicker than halving.
    if (fields_.size() <= 16)
        return std::find_if(fields_.begin(), fields_.end(), [&key](const value_type& f) { return f.first == key; });
    auto at = std::lower_bound(fields_.begin(), fields_.end(), key, byName);
    return at != fields_.end() && at->first == key ? at : fields_.end();
}

void CloudFields::set(const QString& key, CloudValue value) {
    // Readers go through the names in order: most fields go at the end.
    if (fields_.empty() || fields_.back().first < key) {
        fields_.emplace_back(key, std::move(value));
        return;
    }
    auto at = std::lower_bound(fields_.begin(), fields_.end(), key, byName);
    if (at != fields_.end() && at->first == key)
        at->second = std::move(value);
    else
        fields_.emplace(at, key, std::move(value));
}

bool CloudFields::erase(const QString& key) {
    auto at = std::lower_bound(fields_.begin(), fields_.end(), key, byName);
    if (at == fields_.end() || at->first != key) return false;
    fields_.erase(at);
    return true;
}

void CloudRecord::set(const QString& key, CloudValue value) {
    fields_.set(key, std::move(value));
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
