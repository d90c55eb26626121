#include "platform/local/CloudFieldCoding.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborStreamReader>
#include <QCborValue>

#include <algorithm>
#include <cmath>
#include <limits>

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

// The reading side works on the stream, not on a document: rows are read often and whole.
template <typename Chunk>
bool readChunks(Chunk (QCborStreamReader::*read)(), QCborStreamReader& reader, decltype(Chunk::data)& out) {
    for (Chunk chunk = (reader.*read)();; chunk = (reader.*read)()) {
        if (chunk.status == QCborStreamReader::EndOfString) return true;
        if (chunk.status != QCborStreamReader::Ok) return false;
        out += chunk.data;
    }
}

std::optional<QString> readText(QCborStreamReader& reader) {
    QString text;
    if (!reader.isString() || !readChunks(&QCborStreamReader::readString, reader, text)) return std::nullopt;
    return text;
}

std::optional<qint64> readInteger(QCborStreamReader& reader) {
    if (reader.isUnsignedInteger()) {
        const quint64 value = reader.toUnsignedInteger();
        if (value > quint64(std::numeric_limits<qint64>::max())) return std::nullopt;
        reader.next();
        return qint64(value);
    }
    // -1 - n for the stored n; beyond the 64-bit range it is no integer of ours.
    const quint64 n = quint64(reader.toNegativeInteger()) - 1;
    if (n > quint64(std::numeric_limits<qint64>::max())) return std::nullopt;
    reader.next();
    return -qint64(n) - 1;
}

std::optional<double> readDouble(QCborStreamReader& reader) {
    double value = 0;
    if (reader.isDouble())
        value = reader.toDouble();
    else if (reader.isFloat())
        value = reader.toFloat();
    else if (reader.isFloat16())
        value = double(reader.toFloat16());
    else
        return std::nullopt;
    reader.next();
    return value;
}

std::optional<CloudValue> decodeValue(QCborStreamReader& reader) {
    switch (reader.type()) {
    case QCborStreamReader::SimpleType:
        if (!reader.isBool()) return std::nullopt;
        {
            const bool value = reader.toBool();
            reader.next();
            return CloudValue(value);
        }
    case QCborStreamReader::UnsignedInteger:
    case QCborStreamReader::NegativeInteger:
        if (auto value = readInteger(reader)) return CloudValue(*value);
        return std::nullopt;
    case QCborStreamReader::String:
        if (auto text = readText(reader)) return CloudValue(*text);
        return std::nullopt;
    case QCborStreamReader::ByteArray: {
        QByteArray bytes;
        if (!readChunks(&QCborStreamReader::readByteArray, reader, bytes)) return std::nullopt;
        return CloudValue(bytes);
    }
    case QCborStreamReader::Array: {
        QStringList items;
        if (!reader.enterContainer()) return std::nullopt;
        while (reader.lastError() == QCborError::NoError && reader.hasNext()) {
            auto item = readText(reader);
            if (!item) return std::nullopt;
            items.append(*item);
        }
        if (!reader.leaveContainer()) return std::nullopt;
        return CloudValue(items);
    }
    case QCborStreamReader::Tag: {
        if (reader.toTag() != kDateTag) return std::nullopt;
        reader.next();
        const std::optional<double> seconds = readDouble(reader);
        if (!seconds || !std::isfinite(*seconds)) return std::nullopt; // no moment in time
        return CloudValue(Date{*seconds});
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
    QCborStreamReader reader(bytes);
    if (!reader.isMap() || !reader.enterContainer()) return std::nullopt;
    std::map<QString, CloudValue> fields;
    while (reader.lastError() == QCborError::NoError && reader.hasNext()) {
        std::optional<QString> key = readText(reader);
        if (!key) return std::nullopt;
        std::optional<CloudValue> value = decodeValue(reader);
        if (!value) return std::nullopt;
        fields[*key] = std::move(*value);
    }
    if (reader.lastError() != QCborError::NoError || !reader.leaveContainer()) return std::nullopt;
    return fields;
}

} // namespace nimbrel
