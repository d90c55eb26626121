#pragma once

#include "platform/CloudDatabase.h"
#include "platform/Json.h"
#include "sync/CloudPayloadType.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <span>
#include <type_traits>
#include <variant>

// A cloud value's fields listed once (CloudPayloadFields.h), and the two codings that walk the
// list: the keyed JSON (toJson/fromJson) and the typed fields of its record. A field added to
// the list travels both ways, so none is dropped by one coding alone.
//
// A field's kind and whether it may be absent follow from its member's type: text, flag,
// integer, date, bytes, list of texts, the payload type (its case name in JSON, its raw value
// as record text), or std::optional of text, flag or bytes.
namespace nimbrel::cloudfields {

// Where a field travels. The blacklist's keys travel only inside the JSON that its record
// carries, not as a record field of their own.
enum class Coding { jsonAndRecord, jsonOnly };

template <typename S> struct Field {
    using Member = std::variant<QString S::*, bool S::*, qint64 S::*, Date S::*, QByteArray S::*, QStringList S::*,
                                NimbrelCloudPayloadType S::*, std::optional<QString> S::*, std::optional<bool> S::*,
                                std::optional<QByteArray> S::*>;

    QString key;
    Member member;
    Coding coding = Coding::jsonAndRecord;
};

template <typename S> using Fields = std::span<const Field<S>>;

namespace detail {

template <typename T> struct IsOptional : std::false_type {};
template <typename T> struct IsOptional<std::optional<T>> : std::true_type {};

// A member of the JSON as T; an optional one may be absent or null.
template <typename T> T jsonValue(const json::Reader& r, const QString& key) {
    if constexpr (IsOptional<T>::value) {
        if (!r.has(key)) return std::nullopt;
        return jsonValue<typename T::value_type>(r, key);
    } else if constexpr (std::is_same_v<T, QString>) {
        return r.string(key);
    } else if constexpr (std::is_same_v<T, bool>) {
        return r.boolean(key);
    } else if constexpr (std::is_same_v<T, qint64>) {
        return r.integer(key);
    } else if constexpr (std::is_same_v<T, Date>) {
        return r.date(key);
    } else if constexpr (std::is_same_v<T, QByteArray>) {
        return r.data(key);
    } else if constexpr (std::is_same_v<T, QStringList>) {
        return r.stringList(key);
    } else {
        return r.enumValue<T>(key);
    }
}

// A field of the record as T; nullopt when it is absent or holds another kind.
template <typename T> std::optional<T> recordValue(const CloudRecord& record, const QString& key) {
    const auto it = record.fields().find(key);
    if (it == record.fields().end()) return std::nullopt;
    if constexpr (std::is_same_v<T, NimbrelCloudPayloadType>) {
        const QString* text = std::get_if<QString>(&it->second);
        return text ? cloudPayloadTypeFromRaw(*text) : std::nullopt;
    } else {
        const T* value = std::get_if<T>(&it->second);
        return value ? std::optional<T>(*value) : std::nullopt;
    }
}

template <typename T> CloudValue toCloudValue(const T& value) {
    if constexpr (std::is_same_v<T, NimbrelCloudPayloadType>)
        return rawValue(value);
    else
        return value;
}

} // namespace detail

template <typename S> QJsonObject toJson(const S& value, Fields<S> fields) {
    json::Writer writer(json::DateForm::ISO8601);
    for (const Field<S>& field : fields)
        std::visit(
            [&](auto member) {
                if constexpr (detail::IsOptional<std::remove_cvref_t<decltype(value.*member)>>::value)
                    writer.setOptional(field.key, value.*member);
                else
                    writer.set(field.key, value.*member);
            },
            field.member);
    return writer.object();
}

// Throws json::DecodeError at the first field, in the list's order, that is missing or of
// another kind (an optional one may be absent or null).
template <typename S> S fromJson(const json::Reader& reader, Fields<S> fields) {
    S value;
    for (const Field<S>& field : fields)
        std::visit(
            [&](auto member) {
                auto& out = value.*member;
                out = detail::jsonValue<std::remove_cvref_t<decltype(out)>>(reader, field.key);
            },
            field.member);
    return value;
}

// Sets the record's fields; an absent optional one is marked removed, so a save merged onto
// the server's copy removes it there too.
template <typename S> void writeTo(CloudRecord& record, const S& value, Fields<S> fields) {
    for (const Field<S>& field : fields) {
        if (field.coding == Coding::jsonOnly) continue;
        std::visit(
            [&](auto member) {
                const auto& v = value.*member;
                if constexpr (detail::IsOptional<std::remove_cvref_t<decltype(v)>>::value) {
                    if (v)
                        record.set(field.key, detail::toCloudValue(*v));
                    else
                        record.remove(field.key);
                } else {
                    record.set(field.key, detail::toCloudValue(v));
                }
            },
            field.member);
    }
}

// Nothing when a required field is absent or of another kind; an optional field of another
// kind reads as absent.
template <typename S> std::optional<S> fromRecord(const CloudRecord& record, Fields<S> fields) {
    S value;
    for (const Field<S>& field : fields) {
        if (field.coding == Coding::jsonOnly) continue;
        const bool read = std::visit(
            [&](auto member) {
                auto& out = value.*member;
                using T = std::remove_cvref_t<decltype(out)>;
                if constexpr (detail::IsOptional<T>::value) {
                    out = detail::recordValue<typename T::value_type>(record, field.key);
                    return true;
                } else {
                    auto read = detail::recordValue<T>(record, field.key);
                    if (read) out = std::move(*read);
                    return read.has_value();
                }
            },
            field.member);
        if (!read) return std::nullopt;
    }
    return value;
}

} // namespace nimbrel::cloudfields
