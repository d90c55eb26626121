#include "platform/Json.h"

#include <QJsonParseError>

#include <cmath>
#include <cstdio>
#include <limits>

namespace nimbrel::json {

namespace {
QString typeName(QJsonValue::Type type) {
    switch (type) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}
QString typeName(const QJsonValue& v) {
    return typeName(v.type());
}

} // namespace

Reader::Reader(QJsonObject object, DateForm form, QString path)
    : object_(std::move(object)), form_(form), path_(std::move(path)) {}

Reader Reader::fromValue(const QJsonValue& value, DateForm form, const QString& path) {
    if (!value.isObject())
        throw DecodeError(QStringLiteral("%1: expected an object but found %2")
                              .arg(path.isEmpty() ? QStringLiteral("value") : path, typeName(value)));
    return Reader(value.toObject(), form, path);
}

namespace {
// "parent.key" or "parent.key[index]", in one allocation.
QString joinPath(const QString& parent, const QString& key, qsizetype index) {
    char digits[24];
    const int length = index < 0 ? 0 : std::snprintf(digits, sizeof digits, "[%lld]", static_cast<long long>(index));
    if (parent.isEmpty() && length == 0) return key;
    QString out;
    out.reserve(parent.size() + 1 + key.size() + length);
    if (!parent.isEmpty()) out.append(parent).append(QLatin1Char('.'));
    out.append(key).append(QLatin1StringView(digits, length));
    return out;
}
} // namespace

Reader::Reader(QJsonObject object, DateForm form, const Reader& parent, const QString& key, qsizetype index)
    : object_(std::move(object)), form_(form) {
    if (parent.pendingCount_ == kPendingSegments) parent.path();
    path_ = parent.path_;
    pendingCount_ = parent.pendingCount_;
    for (int i = 0; i < pendingCount_; ++i)
        pending_[size_t(i)] = parent.pending_[size_t(i)];
    pending_[size_t(pendingCount_++)] = PathSegment{key, index};
}

Reader Reader::fromArrayElement(const QJsonValue& value, DateForm form, qsizetype index) {
    if (!value.isObject())
        throw DecodeError(
            QStringLiteral("%1: expected an object but found %2").arg(joinPath({}, {}, index), typeName(value)));
    Reader reader(value.toObject(), form);
    reader.pending_[0] = PathSegment{QString(), index};
    reader.pendingCount_ = 1;
    return reader;
}

const QString& Reader::path() const {
    for (int i = 0; i < pendingCount_; ++i) {
        PathSegment& segment = pending_[size_t(i)];
        path_ = joinPath(path_, segment.key, segment.index);
        segment = PathSegment{};
    }
    pendingCount_ = 0;
    return path_;
}

Reader Reader::element(const QJsonValue& value, const QString& key, qsizetype index) const {
    if (!value.isObject())
        throw DecodeError(
            QStringLiteral("%1: expected an object but found %2").arg(elementPath(key, index), typeName(value)));
    return Reader(value.toObject(), form_, *this, key, index);
}

QString Reader::memberPath(const QString& key) const {
    return joinPath(path(), key, -1);
}

QString Reader::elementPath(const QString& key, qsizetype index) const {
    return joinPath(path(), key, index);
}

void Reader::fail(const QString& key, const QString& what) const {
    throw DecodeError(QStringLiteral("%1: %2").arg(
        key.isEmpty() ? (path().isEmpty() ? QStringLiteral("value") : path()) : memberPath(key), what));
}

// Members are read in place through the object's iterator: converting each to a
// QJsonValue first would copy every string twice, which dominates decoding time.
namespace {
using Member = QJsonObject::const_iterator;

bool isPresent(const QJsonObject& object, const Member& it) {
    return it != object.constEnd() && !it->isNull() && !it->isUndefined();
}

QString typeName(const Member& it) {
    return typeName(it->type());
}
} // namespace

bool Reader::has(const QString& key) const {
    return isPresent(object_, object_.constFind(key));
}

QJsonValue Reader::required(const QString& key) const {
    return *requiredMember(key);
}

QJsonObject::const_iterator Reader::requiredMember(const QString& key) const {
    const Member it = object_.constFind(key);
    if (it == object_.constEnd() || it->isUndefined()) fail(key, QStringLiteral("missing member"));
    if (it->isNull()) fail(key, QStringLiteral("expected a value but found null"));
    return it;
}

QString Reader::stringAt(const QString& key, QJsonObject::const_iterator it) const {
    if (!it->isString()) fail(key, QStringLiteral("expected a string but found %1").arg(typeName(it)));
    return it->toString();
}

bool Reader::booleanAt(const QString& key, QJsonObject::const_iterator it) const {
    if (!it->isBool()) fail(key, QStringLiteral("expected a boolean but found %1").arg(typeName(it)));
    return it->toBool();
}

qint64 Reader::integerAt(const QString& key, QJsonObject::const_iterator it) const {
    if (!it->isDouble()) fail(key, QStringLiteral("expected an integer but found %1").arg(typeName(it)));
    // Qt keeps whole numbers read from text exactly, so the whole 64-bit range is accepted;
    // beyond it the number cannot be held: refuse rather than wrap.
    const qint64 value = it->toInteger(0);
    if (value != it->toInteger(1)) {
        const double d = it->toDouble();
        if (!std::isfinite(d) || std::floor(d) != d)
            fail(key, QStringLiteral("expected an integer but found %1").arg(typeName(it)));
        fail(key, QStringLiteral("number does not fit in a 64-bit integer"));
    }
    return value;
}

Date Reader::dateAt(const QString& key, QJsonObject::const_iterator it) const {
    if (form_ == DateForm::SecondsSince2001) {
        if (!it->isDouble() || !std::isfinite(it->toDouble()))
            fail(key, QStringLiteral("expected a date as a number but found %1").arg(typeName(it)));
        return Date{it->toDouble()};
    }
    if (!it->isString()) fail(key, QStringLiteral("expected a date string but found %1").arg(typeName(it)));
    const auto parsed = parseISO8601(it->toString());
    if (!parsed) fail(key, QStringLiteral("expected date string to be ISO8601-formatted."));
    return *parsed;
}

Reader Reader::objectAt(const QString& key, QJsonObject::const_iterator it) const {
    if (!it->isObject()) fail(key, QStringLiteral("expected an object but found %1").arg(typeName(it)));
    return Reader(it->toObject(), form_, *this, key, -1);
}

QString Reader::string(const QString& key) const {
    return stringAt(key, requiredMember(key));
}

std::optional<QString> Reader::optionalString(const QString& key) const {
    const Member it = object_.constFind(key);
    if (!isPresent(object_, it)) return std::nullopt;
    return stringAt(key, it);
}

bool Reader::boolean(const QString& key) const {
    return booleanAt(key, requiredMember(key));
}

std::optional<bool> Reader::optionalBoolean(const QString& key) const {
    const Member it = object_.constFind(key);
    if (!isPresent(object_, it)) return std::nullopt;
    return booleanAt(key, it);
}

qint64 Reader::integer(const QString& key) const {
    return integerAt(key, requiredMember(key));
}

std::optional<qint64> Reader::optionalInteger(const QString& key) const {
    const Member it = object_.constFind(key);
    if (!isPresent(object_, it)) return std::nullopt;
    return integerAt(key, it);
}

double Reader::number(const QString& key) const {
    const Member it = requiredMember(key);
    if (!it->isDouble()) fail(key, QStringLiteral("expected a number but found %1").arg(typeName(it)));
    return it->toDouble();
}

Date Reader::date(const QString& key) const {
    return dateAt(key, requiredMember(key));
}

std::optional<Date> Reader::optionalDate(const QString& key) const {
    const Member it = object_.constFind(key);
    if (!isPresent(object_, it)) return std::nullopt;
    return dateAt(key, it);
}

Uuid Reader::uuid(const QString& key) const {
    const QString text = string(key);
    const auto parsed = Uuid::parse(text);
    if (!parsed) fail(key, QStringLiteral("attempted to decode UUID from invalid UUID string."));
    return *parsed;
}

QByteArray Reader::data(const QString& key) const {
    const QString text = string(key);
    auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result) fail(key, QStringLiteral("encountered data is not valid Base64."));
    return *result;
}

std::optional<QByteArray> Reader::optionalData(const QString& key) const {
    if (!has(key)) return std::nullopt;
    return data(key);
}

Reader Reader::object(const QString& key) const {
    return objectAt(key, requiredMember(key));
}

std::optional<Reader> Reader::optionalObject(const QString& key) const {
    const Member it = object_.constFind(key);
    if (!isPresent(object_, it)) return std::nullopt;
    return objectAt(key, it);
}

QJsonArray Reader::array(const QString& key) const {
    const Member it = requiredMember(key);
    if (!it->isArray()) fail(key, QStringLiteral("expected an array but found %1").arg(typeName(it)));
    return it->toArray();
}

QStringList Reader::stringList(const QString& key) const {
    const QJsonArray items = array(key);
    QStringList out;
    out.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!items[i].isString())
            throw DecodeError(
                QStringLiteral("%1: expected a string but found %2").arg(elementPath(key, i), typeName(items[i])));
        out.push_back(items[i].toString());
    }
    return out;
}

Reader::FoundCase Reader::findCase(const std::vector<QString>& caseNames) const {
    QString found;
    int count = 0;
    // Once as many case names are found as the object has members, no other can be there.
    const qsizetype members = object_.size();
    for (const QString& name : caseNames) {
        if (object_.contains(name)) {
            found = name;
            ++count;
            if (count == members) break;
        }
    }
    if (count != 1) fail({}, kInvalidNumberOfKeys);
    const QJsonValue inner = object_.value(found);
    if (!inner.isObject()) fail(found, QStringLiteral("expected an object but found %1").arg(typeName(inner)));
    const QJsonObject innerObject = inner.toObject();
    const auto payload = innerObject.constFind(QStringLiteral("_0"));
    if (payload == innerObject.constEnd()) fail(found, QStringLiteral("missing member _0"));
    return FoundCase{found, innerObject, *payload};
}

std::pair<QString, QJsonValue> Reader::singleCase(const std::vector<QString>& caseNames) const {
    FoundCase found = findCase(caseNames);
    return {found.name, found.payload};
}

std::pair<QString, Reader> Reader::casePayload(const std::vector<QString>& caseNames) const {
    const FoundCase found = findCase(caseNames);
    const Reader caseReader(found.inner, form_, *this, found.name, -1);
    const QString payloadKey = QStringLiteral("_0");
    const QJsonValue& payload = found.payload;
    if (payload.isUndefined()) caseReader.fail(payloadKey, QStringLiteral("missing member"));
    if (payload.isNull()) caseReader.fail(payloadKey, QStringLiteral("expected a value but found null"));
    if (!payload.isObject())
        caseReader.fail(payloadKey, QStringLiteral("expected an object but found %1").arg(typeName(payload)));
    return {found.name, Reader(payload.toObject(), form_, caseReader, payloadKey, -1)};
}

Writer& Writer::set(const QString& key, Date v) {
    object_.insert(key, dateValue(v, form_));
    return *this;
}

Writer& Writer::set(const QString& key, const QByteArray& data) {
    object_.insert(key, QString::fromLatin1(data.toBase64()));
    return *this;
}

QJsonValue dateValue(Date date, DateForm form) {
    if (form == DateForm::SecondsSince2001) return date.secondsSinceReferenceDate;
    return iso8601String(date);
}

QJsonObject caseObject(const QString& caseName, const QJsonObject& payload) {
    QJsonObject inner;
    inner.insert(QStringLiteral("_0"), payload);
    QJsonObject outer;
    outer.insert(caseName, inner);
    return outer;
}

QJsonDocument parse(const QByteArray& bytes) {
    QJsonParseError error{};
    QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodeError(
            QStringLiteral("the data is not valid JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset));
    if (doc.isNull()) throw DecodeError(QStringLiteral("the data is not valid JSON"));
    return doc;
}

QByteArray serialize(const QJsonValue& value, bool pretty) {
    const auto format = pretty ? QJsonDocument::Indented : QJsonDocument::Compact;
    if (value.isArray()) return QJsonDocument(value.toArray()).toJson(format);
    if (value.isObject()) return QJsonDocument(value.toObject()).toJson(format);
    // Scalars: wrap and strip the array brackets.
    QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace nimbrel::json
