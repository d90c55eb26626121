#include "platform/local/TypedValueCoding.h"

#include "platform/UserDefaults.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace nimbrel {

namespace {

constexpr int kMaxDepth = 64; // nesting deeper than this is refused, not recursed into

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

QJsonObject typed(const char* type, const QJsonValue& value) {
    return QJsonObject{{QStringLiteral("type"), QLatin1String(type)}, {QStringLiteral("value"), value}};
}

QJsonValue doubleJson(double d) {
    if (std::isnan(d)) return QStringLiteral("nan");
    if (std::isinf(d)) return d > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    return d;
}

std::optional<double> doubleFromJson(const QJsonValue& v) {
    if (v.isDouble()) return v.toDouble();
    const QString text = v.toString();
    if (text == QLatin1String("nan")) return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("inf")) return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-inf")) return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

bool isDateType(int typeId) {
    return typeId == QMetaType::fromType<Date>().id();
}

std::optional<QJsonValue> encode(const QVariant& value, QString* error, int depth) {
    if (depth > kMaxDepth) {
        setError(error, QStringLiteral("values nested too deeply"));
        return std::nullopt;
    }
    const int type = value.typeId();
    switch (type) {
    case QMetaType::Bool:
        return typed("bool", value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return typed("integer", QString::number(value.toLongLong()));
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        if (u > static_cast<qulonglong>(std::numeric_limits<qint64>::max())) {
            setError(error, QStringLiteral("integer %1 is too large").arg(u));
            return std::nullopt;
        }
        return typed("integer", QString::number(static_cast<qint64>(u)));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return typed("double", doubleJson(value.toDouble()));
    case QMetaType::QString:
        return typed("string", value.toString());
    case QMetaType::QByteArray:
        return typed("data", QString::fromLatin1(value.toByteArray().toBase64()));
    case QMetaType::QStringList: {
        QJsonArray items;
        for (const QString& s : value.toStringList())
            items.append(typed("string", s));
        return typed("array", items);
    }
    case QMetaType::QVariantList: {
        QJsonArray items;
        for (const QVariant& item : value.toList()) {
            auto encoded = encode(item, error, depth + 1);
            if (!encoded) return std::nullopt;
            items.append(*encoded);
        }
        return typed("array", items);
    }
    case QMetaType::QVariantMap: {
        QJsonObject members;
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            auto encoded = encode(it.value(), error, depth + 1);
            if (!encoded) return std::nullopt;
            members.insert(it.key(), *encoded);
        }
        return typed("dictionary", members);
    }
    default:
        break;
    }
    if (isDateType(type)) return typed("date", doubleJson(value.value<Date>().secondsSinceReferenceDate));
    setError(
        error,
        value.isValid()
            ? QStringLiteral("a value of type %1 cannot be stored").arg(QString::fromLatin1(value.metaType().name()))
            : QStringLiteral("an empty value cannot be stored"));
    return std::nullopt;
}

std::optional<QVariant> decode(const QJsonValue& json, QString* error, int depth) {
    if (depth > kMaxDepth) {
        setError(error, QStringLiteral("values nested too deeply"));
        return std::nullopt;
    }
    if (!json.isObject()) {
        setError(error, QStringLiteral("a stored value is not an object"));
        return std::nullopt;
    }
    const QJsonObject object = json.toObject();
    const QString type = object.value(QStringLiteral("type")).toString();
    const QJsonValue v = object.value(QStringLiteral("value"));
    auto wrong = [&]() -> std::optional<QVariant> {
        setError(
            error,
            QStringLiteral("a stored %1 has an unreadable value").arg(type.isEmpty() ? QStringLiteral("value") : type));
        return std::nullopt;
    };
    if (type == QLatin1String("bool")) {
        if (!v.isBool()) return wrong();
        return QVariant(v.toBool());
    }
    if (type == QLatin1String("integer")) {
        bool ok = false;
        const qint64 n = v.toString().toLongLong(&ok);
        if (!v.isString() || !ok) return wrong();
        return QVariant(n);
    }
    if (type == QLatin1String("double")) {
        const auto d = doubleFromJson(v);
        if (!d) return wrong();
        return QVariant(*d);
    }
    if (type == QLatin1String("string")) {
        if (!v.isString()) return wrong();
        return QVariant(v.toString());
    }
    if (type == QLatin1String("data")) {
        if (!v.isString()) return wrong();
        auto result = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!result) return wrong();
        return QVariant(*result);
    }
    if (type == QLatin1String("date")) {
        const auto d = doubleFromJson(v);
        if (!d) return wrong();
        return QVariant::fromValue(Date{*d});
    }
    if (type == QLatin1String("array")) {
        if (!v.isArray()) return wrong();
        QVariantList list;
        for (const QJsonValue& item : v.toArray()) {
            auto decoded = decode(item, error, depth + 1);
            if (!decoded) return std::nullopt;
            list.push_back(*decoded);
        }
        return QVariant(list);
    }
    if (type == QLatin1String("dictionary")) {
        if (!v.isObject()) return wrong();
        QVariantMap map;
        const QJsonObject members = v.toObject();
        for (auto it = members.begin(); it != members.end(); ++it) {
            auto decoded = decode(it.value(), error, depth + 1);
            if (!decoded) return std::nullopt;
            map.insert(it.key(), *decoded);
        }
        return QVariant(map);
    }
    setError(error, QStringLiteral("unknown stored type \"%1\"").arg(type));
    return std::nullopt;
}

} // namespace

std::optional<QJsonValue> encodeTypedValue(const QVariant& value, QString* error) {
    return encode(value, error, 0);
}

std::optional<QVariant> decodeTypedValue(const QJsonValue& json, QString* error) {
    return decode(json, error, 0);
}

} // namespace nimbrel
