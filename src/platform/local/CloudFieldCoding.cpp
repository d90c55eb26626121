#include "platform/local/CloudFieldCoding.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

#include <algorithm>
#include <cmath>

namespace nimbrel {

namespace {

// Dates carry their own tag: the standard epoch tag would come back as a date-time of
// millisecond precision, and record dates keep every fraction of a second.
constexpr QCborTag kDateTag = QCborTag(1000001);

QCborValue encodeValue(const CloudValue& value) {
    struct Visitor {
        QCborValue operator()(bool v) const { return QCborValue(v); }
        QCborValue operator()(qint64 v) const { return QCborValue(v); }
        QCborValue operator()(const QString& v) const { return QCborValue(v); }
        QCborValue operator()(Date v) const { return QCborValue(kDateTag, v.secondsSinceReferenceDate); }
        QCborValue operator()(const QByteArray& v) const { return QCborValue(v); }
        QCborValue operator()(const QStringList& v) const {
            QCborArray array;
            for (const QString& item : v)
                array.append(item);
            return array;
        }
    };
    return std::visit(Visitor{}, value);
}

std::optional<CloudValue> decodeValue(const QCborValue& value) {
    switch (value.type()) {
    case QCborValue::False:
    case QCborValue::True:
        return CloudValue(value.toBool());
    case QCborValue::Integer:
        return CloudValue(qint64(value.toInteger()));
    case QCborValue::String:
        return CloudValue(value.toString());
    case QCborValue::ByteArray:
        return CloudValue(value.toByteArray());
    case QCborValue::Array: {
        QStringList items;
        for (const QCborValue& item : value.toArray()) {
            if (!item.isString()) return std::nullopt;
            items.append(item.toString());
        }
        return CloudValue(items);
    }
    case QCborValue::Tag: {
        if (value.tag() != kDateTag || !value.taggedValue().isDouble()) return std::nullopt;
        const double seconds = value.taggedValue().toDouble();
        if (!std::isfinite(seconds)) return std::nullopt; // no moment in time
        return CloudValue(Date{seconds});
    }
    default:
        return std::nullopt;
    }
}

} // namespace

bool hasOnlyFiniteDates(const std::map<QString, CloudValue>& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const auto& field) {
        const Date* date = std::get_if<Date>(&field.second);
        return !date || std::isfinite(date->secondsSinceReferenceDate);
    });
}

QByteArray encodeCloudFields(const std::map<QString, CloudValue>& fields) {
    QCborMap map;
    for (const auto& [key, value] : fields)
        map.insert(key, encodeValue(value));
    return map.toCborValue().toCbor();
}

std::optional<std::map<QString, CloudValue>> decodeCloudFields(const QByteArray& bytes) {
    QCborParserError error;
    const QCborValue root = QCborValue::fromCbor(bytes, &error);
    if (error.error != QCborError::NoError || !root.isMap()) return std::nullopt;
    const QCborMap map = root.toMap();
    std::map<QString, CloudValue> fields;
    for (auto it = map.cbegin(), end = map.cend(); it != end; ++it) {
        if (!it.key().isString()) return std::nullopt;
        std::optional<CloudValue> value = decodeValue(it.value());
        if (!value) return std::nullopt;
        fields[it.key().toString()] = std::move(*value);
    }
    return fields;
}

} // namespace nimbrel
