#include "platform/Json.h"

#include <QJsonParseError>

#include <cmath>
#include <limits>

namespace nimbrel::json {

namespace {
QString typeName(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a boolean");
    case QJsonValue::Double: return QStringLiteral("a number");
    case QJsonValue::String: return QStringLiteral("a string");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("nothing");
}

bool isIntegral(const QJsonValue& v) {
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    return std::isfinite(d) && std::floor(d) == d;
}
} // namespace

Reader::Reader(QJsonObject object, DateForm form, QString path)
    : object_(std::move(object)), form_(form), path_(std::move(path)) {}

Reader Reader::fromValue(const QJsonValue& value, DateForm form, const QString& path) {
    if (!value.isObject())
        throw DecodeError(QStringLiteral("%1: expected an object but found %2").arg(path.isEmpty() ? QStringLiteral("value") : path, typeName(value)));
    return Reader(value.toObject(), form, path);
}

QString Reader::memberPath(const QString& key) const { return path_.isEmpty() ? key : path_ + QLatin1Char('.') + key; }

QString Reader::elementPath(const QString& key, qsizetype index) const {
    return memberPath(key) + QStringLiteral("[%1]").arg(index);
}

void Reader::fail(const QString& key, const QString& what) const {
    throw DecodeError(QStringLiteral("%1: %2").arg(key.isEmpty() ? (path_.isEmpty() ? QStringLiteral("value") : path_) : memberPath(key), what));
}

bool Reader::has(const QString& key) const {
    const auto it = object_.constFind(key);
    return it != object_.constEnd() && !it->isNull() && !it->isUndefined();
}

QJsonValue Reader::required(const QString& key) const {
    const auto it = object_.constFind(key);
    if (it == object_.constEnd() || it->isUndefined()) fail(key, QStringLiteral("missing member"));
    if (it->isNull()) fail(key, QStringLiteral("expected a value but found null"));
    return *it;
}

QString Reader::string(const QString& key) const {
    const QJsonValue v = required(key);
    if (!v.isString()) fail(key, QStringLiteral("expected a string but found %1").arg(typeName(v)));
    return v.toString();
}

std::optional<QString> Reader::optionalString(const QString& key) const {
    if (!has(key)) return std::nullopt;
    return string(key);
}

bool Reader::boolean(const QString& key) const {
    const QJsonValue v = required(key);
    if (!v.isBool()) fail(key, QStringLiteral("expected a boolean but found %1").arg(typeName(v)));
    return v.toBool();
}

std::optional<bool> Reader::optionalBoolean(const QString& key) const {
    if (!has(key)) return std::nullopt;
    return boolean(key);
}

qint64 Reader::integer(const QString& key) const {
    const QJsonValue v = required(key);
    if (!isIntegral(v)) fail(key, QStringLiteral("expected an integer but found %1").arg(typeName(v)));
    // Qt keeps whole numbers read from text exactly, so the whole 64-bit range is accepted;
    // beyond it the number cannot be held: refuse rather than wrap.
    const qint64 value = v.toInteger(0);
    if (value != v.toInteger(1)) fail(key, QStringLiteral("number does not fit in a 64-bit integer"));
    return value;
}

std::optional<qint64> Reader::optionalInteger(const QString& key) const {
    if (!has(key)) return std::nullopt;
    return integer(key);
}

double Reader::number(const QString& key) const {
    const QJsonValue v = required(key);
    if (!v.isDouble()) fail(key, QStringLiteral("expected a number but found %1").arg(typeName(v)));
    return v.toDouble();
}

Date Reader::date(const QString& key) const {
    const QJsonValue v = required(key);
    if (form_ == DateForm::SecondsSince2001) {
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            fail(key, QStringLiteral("expected a date as a number but found %1").arg(typeName(v)));
        return Date{v.toDouble()};
    }
    if (!v.isString()) fail(key, QStringLiteral("expected a date string but found %1").arg(typeName(v)));
    const auto parsed = parseISO8601(v.toString());
    if (!parsed) fail(key, QStringLiteral("expected date string to be ISO8601-formatted."));
    return *parsed;
}

std::optional<Date> Reader::optionalDate(const QString& key) const {
    if (!has(key)) return std::nullopt;
    return date(key);
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

Reader Reader::object(const QString& key) const { return fromValue(required(key), form_, memberPath(key)); }

std::optional<Reader> Reader::optionalObject(const QString& key) const {
    if (!has(key)) return std::nullopt;
    return object(key);
}

QJsonArray Reader::array(const QString& key) const {
    const QJsonValue v = required(key);
    if (!v.isArray()) fail(key, QStringLiteral("expected an array but found %1").arg(typeName(v)));
    return v.toArray();
}

QStringList Reader::stringList(const QString& key) const {
    const QJsonArray items = array(key);
    QStringList out;
    out.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!items[i].isString())
            throw DecodeError(QStringLiteral("%1: expected a string but found %2").arg(elementPath(key, i), typeName(items[i])));
        out.push_back(items[i].toString());
    }
    return out;
}

std::pair<QString, QJsonValue> Reader::singleCase(const std::vector<QString>& caseNames) const {
    QString found;
    int count = 0;
    for (const QString& name : caseNames) {
        if (object_.contains(name)) {
            found = name;
            ++count;
        }
    }
    if (count != 1) fail({}, kInvalidNumberOfKeys);
    const QJsonValue inner = object_.value(found);
    if (!inner.isObject())
        fail(found, QStringLiteral("expected an object but found %1").arg(typeName(inner)));
    const QJsonObject innerObject = inner.toObject();
    const auto payload = innerObject.constFind(QStringLiteral("_0"));
    if (payload == innerObject.constEnd()) fail(found, QStringLiteral("missing member _0"));
    return {found, *payload};
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
        throw DecodeError(QStringLiteral("the data is not valid JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset));
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
