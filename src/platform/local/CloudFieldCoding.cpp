#include "platform/local/CloudFieldCoding.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborStreamReader>
#include <QCborValue>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

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

// The stream reader's side, for any form the written-form reader below does not take: chunk by
// chunk, each as long as the data holds.
template <typename Chunk>
bool readChunks(Chunk (QCborStreamReader::*read)(), QCborStreamReader& reader, decltype(Chunk::data)& out) {
    for (Chunk chunk = (reader.*read)();; chunk = (reader.*read)()) {
        if (chunk.status == QCborStreamReader::EndOfString) return true;
        if (chunk.status != QCborStreamReader::Ok) return false;
        out += chunk.data;
    }
}

// The few field names come back as the same shared texts, not as a new text for every row; so
// does a text field's value that is the same as in the row before (a payload type, a device id).
struct FieldName {
    QByteArray utf8;
    QString name;
    QString lastText;

    QString text(QByteArrayView utf8Text) {
        if (!QAnyStringView::equal(lastText, QUtf8StringView(utf8Text))) lastText = QString::fromUtf8(utf8Text);
        return lastText;
    }
};

FieldName& fieldName(QByteArrayView utf8) {
    thread_local std::vector<FieldName> names;
    thread_local size_t next = 0; // rows hold their fields in the same order
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t at = (next + i) % names.size();
        if (names[at].utf8 == utf8) {
            next = at + 1;
            return names[at];
        }
    }
    if (names.size() >= 64) names.erase(names.begin()); // not a field list of ours: keep it small
    names.push_back({utf8.toByteArray(), QString::fromUtf8(utf8), {}});
    next = 0;
    return names.back();
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

// The form encodeCloudFields writes (definite lengths, dates as doubles) read straight from the
// bytes, as most rows are read at every pull; nullopt for anything else (other forms, damage),
// which the stream reader then decides on.
class WrittenFormReader {
  public:
    explicit WrittenFormReader(const QByteArray& bytes)
        : at_(reinterpret_cast<const uchar*>(bytes.constData())), end_(at_ + bytes.size()) {}

    std::optional<CloudFields> fields() {
        Head map;
        if (!head(map) || map.major != 5) return std::nullopt;
        CloudFields out;
        // Each field takes two bytes at least.
        out.reserve(size_t(std::min<quint64>(map.argument, quint64(end_ - at_) / 2)));
        for (quint64 i = 0; i < map.argument; ++i) {
            QByteArrayView key;
            if (!text(key)) return std::nullopt;
            FieldName& field = fieldName(key);
            const QString name = field.name;
            std::optional<CloudValue> v = value(field);
            if (!v) return std::nullopt;
            out.set(name, std::move(*v)); // a name given twice: the later one counts
        }
        if (at_ != end_) return std::nullopt;
        return out;
    }

  private:
    struct Head {
        int major = 0;
        int info = 0;
        quint64 argument = 0;
    };

    bool head(Head& h) {
        if (at_ == end_) return false;
        const uchar initial = *at_++;
        h.major = initial >> 5;
        h.info = initial & 0x1f;
        if (h.info < 24) {
            h.argument = quint64(h.info);
            return true;
        }
        if (h.info > 27) return false; // indefinite lengths and reserved values
        const qsizetype size = qsizetype(1) << (h.info - 24);
        if (end_ - at_ < size) return false;
        h.argument = 0;
        for (qsizetype i = 0; i < size; ++i)
            h.argument = h.argument << 8 | *at_++;
        return true;
    }
    bool span(quint64 length, QByteArrayView& out) {
        if (quint64(end_ - at_) < length) return false;
        out = QByteArrayView(at_, qsizetype(length));
        at_ += length;
        return true;
    }
    bool text(QByteArrayView& out) {
        Head h;
        return head(h) && h.major == 3 && span(h.argument, out) && out.isValidUtf8();
    }
    std::optional<CloudValue> value(FieldName& field) {
        Head h;
        if (!head(h)) return std::nullopt;
        QByteArrayView bytes;
        switch (h.major) {
        case 0:
            if (h.argument > quint64(std::numeric_limits<qint64>::max())) return std::nullopt;
            return CloudValue(qint64(h.argument));
        case 1: // -1 - n
            if (h.argument > quint64(std::numeric_limits<qint64>::max())) return std::nullopt;
            return CloudValue(-qint64(h.argument) - 1);
        case 2:
            if (!span(h.argument, bytes)) return std::nullopt;
            return CloudValue(bytes.toByteArray());
        case 3:
            if (!span(h.argument, bytes) || !bytes.isValidUtf8()) return std::nullopt;
            return CloudValue(field.text(bytes));
        case 4: {
            QStringList items;
            items.reserve(qsizetype(std::min<quint64>(h.argument, quint64(end_ - at_))));
            for (quint64 i = 0; i < h.argument; ++i) {
                if (!text(bytes)) return std::nullopt;
                items.append(QString::fromUtf8(bytes));
            }
            return CloudValue(items);
        }
        case 6: {
            Head number;
            if (QCborTag(h.argument) != kDateTag || !head(number) || number.major != 7 || number.info != 27)
                return std::nullopt;
            const double seconds = std::bit_cast<double>(number.argument);
            if (!std::isfinite(seconds)) return std::nullopt;
            return CloudValue(Date{seconds});
        }
        case 7:
            if (h.info == 20 || h.info == 21) return CloudValue(h.info == 21);
            return std::nullopt;
        default:
            return std::nullopt;
        }
    }

    const uchar* at_;
    const uchar* end_;
};

} // namespace

bool hasOnlyFiniteDates(const CloudFields& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const auto& field) {
        const Date* date = std::get_if<Date>(&field.second);
        return !date || std::isfinite(date->secondsSinceReferenceDate);
    });
}

QByteArray encodeCloudFields(const CloudFields& fields) {
    QCborMap map;
    for (const auto& [key, value] : fields)
        map.insert(key, encodeValue(value));
    return map.toCborValue().toCbor();
}

std::optional<CloudFields> decodeCloudFields(const QByteArray& bytes) {
    if (auto fields = WrittenFormReader(bytes).fields()) return fields;
    QCborStreamReader reader(bytes);
    if (!reader.isMap() || !reader.enterContainer()) return std::nullopt;
    CloudFields fields;
    while (reader.lastError() == QCborError::NoError && reader.hasNext()) {
        std::optional<QString> key = readText(reader);
        if (!key) return std::nullopt;
        std::optional<CloudValue> value = decodeValue(reader);
        if (!value) return std::nullopt;
        fields.set(*key, std::move(*value));
    }
    if (reader.lastError() != QCborError::NoError || !reader.leaveContainer()) return std::nullopt;
    return fields;
}

} // namespace nimbrel
