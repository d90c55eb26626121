#pragma once

#include "platform/Date.h"
#include "platform/Uuid.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

// Helpers for the program's keyed JSON coding: an object's members are its field names,
// optional members may be absent or null, unknown members are ignored, enums are their
// case names, and enums with payloads are {"case": {"_0": payload}}.
namespace nimbrel::json {

// How dates are written in one document.
enum class DateForm {
    SecondsSince2001, // a JSON number (the rules kept in user defaults)
    ISO8601,          // "2026-12-07T08:00:00Z" (files and cloud payloads)
};

// A failed read; `what()` says what and where ("rules[3].trigger: missing member clickCount").
class DecodeError : public std::runtime_error {
  public:
    explicit DecodeError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

inline const QString kInvalidNumberOfKeys = QStringLiteral("Invalid number of keys found, expected one.");

// Case names of a text-valued enum, in declaration order:
//   template <> struct EnumNames<Weekday> { static constexpr std::array names{"monday", ...}; };
template <typename E> struct EnumNames;

template <typename E> QString enumName(E value) {
    return QString::fromLatin1(EnumNames<E>::names[static_cast<size_t>(value)]);
}
template <typename E> std::optional<E> enumFromName(const QString& text) {
    const auto& names = EnumNames<E>::names;
    for (size_t i = 0; i < names.size(); ++i)
        if (text == QLatin1String(names[i])) return static_cast<E>(i);
    return std::nullopt;
}
template <typename E> constexpr size_t enumCount() {
    return EnumNames<E>::names.size();
}

// Reads members of one object; every failure throws DecodeError naming the path.
class Reader {
  public:
    Reader(QJsonObject object, DateForm form, QString path = {});

    static Reader fromValue(const QJsonValue& value, DateForm form, const QString& path);
    // The element at `index` of a top-level array; its path is "[index]", built only on failure.
    static Reader fromArrayElement(const QJsonValue& value, DateForm form, qsizetype index);

    const QJsonObject& object() const { return object_; }
    DateForm dateForm() const { return form_; }
    const QString& path() const;        // built on first use
    bool has(const QString& key) const; // present and not null

    QString string(const QString& key) const;
    std::optional<QString> optionalString(const QString& key) const;
    bool boolean(const QString& key) const;
    std::optional<bool> optionalBoolean(const QString& key) const;
    qint64 integer(const QString& key) const;
    std::optional<qint64> optionalInteger(const QString& key) const;
    double number(const QString& key) const;
    Date date(const QString& key) const;
    std::optional<Date> optionalDate(const QString& key) const;
    Uuid uuid(const QString& key) const;
    QByteArray data(const QString& key) const; // base64 text
    std::optional<QByteArray> optionalData(const QString& key) const;
    Reader object(const QString& key) const;
    std::optional<Reader> optionalObject(const QString& key) const;
    QJsonArray array(const QString& key) const;

    template <typename E> E enumValue(const QString& key) const {
        const QString text = string(key);
        if (auto v = enumFromName<E>(text)) return *v;
        fail(key, QStringLiteral("cannot initialize from invalid value \"%1\"").arg(text));
    }
    template <typename E> std::optional<E> optionalEnum(const QString& key) const {
        if (!has(key)) return std::nullopt;
        return enumValue<E>(key);
    }
    // An array of objects, each decoded by `decode`.
    template <typename T, typename F> std::vector<T> list(const QString& key, F decode) const {
        const QJsonArray items = array(key);
        std::vector<T> out;
        out.reserve(static_cast<size_t>(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i)
            out.push_back(decode(element(items[i], key, i)));
        return out;
    }
    // An array of strings.
    QStringList stringList(const QString& key) const;
    // An array of case names, read into an ordered list of enum values (repeats kept).
    template <typename E> std::vector<E> enumList(const QString& key) const {
        std::vector<E> out;
        for (const QString& text : stringList(key)) {
            auto v = enumFromName<E>(text);
            if (!v) fail(key, QStringLiteral("cannot initialize from invalid value \"%1\"").arg(text));
            out.push_back(*v);
        }
        return out;
    }

    // For enums with payloads: finds the one member among `caseNames` and returns its
    // name with a reader of its "_0" payload object. Fails with kInvalidNumberOfKeys.
    std::pair<QString, QJsonValue> singleCase(const std::vector<QString>& caseNames) const;
    // The same, with a reader of the "_0" payload object (whose path is "<path>.<case>._0").
    std::pair<QString, Reader> casePayload(const std::vector<QString>& caseNames) const;

    [[noreturn]] void fail(const QString& key, const QString& what) const;
    QString memberPath(const QString& key) const;
    QString elementPath(const QString& key, qsizetype index) const;

  private:
    // A nested reader's path is built only when it is needed (an error, or an explicit
    // path()): until then it is a built prefix plus up to kPendingSegments keys and list
    // indexes, so that a successful decode builds no path text at all.
    struct PathSegment {
        QString key;     // empty for the element of a top-level array
        qsizetype index; // -1 for a member
    };
    static constexpr int kPendingSegments = 8;

    Reader(QJsonObject object, DateForm form, const Reader& parent, const QString& key, qsizetype index);
    Reader element(const QJsonValue& value, const QString& key, qsizetype index) const;
    QJsonValue required(const QString& key) const;
    QJsonObject::const_iterator requiredMember(const QString& key) const;
    QString stringAt(const QString& key, QJsonObject::const_iterator it) const;
    bool booleanAt(const QString& key, QJsonObject::const_iterator it) const;
    qint64 integerAt(const QString& key, QJsonObject::const_iterator it) const;
    Date dateAt(const QString& key, QJsonObject::const_iterator it) const;
    Reader objectAt(const QString& key, QJsonObject::const_iterator it) const;
    struct FoundCase {
        QString name;
        QJsonObject inner;
        QJsonValue payload;
    };
    FoundCase findCase(const std::vector<QString>& caseNames) const;

    QJsonObject object_;
    DateForm form_;
    mutable QString path_;
    mutable std::array<PathSegment, kPendingSegments> pending_{};
    mutable int pendingCount_ = 0;
};

// Builds one object; members of optional fields that are absent are left out.
class Writer {
  public:
    explicit Writer(DateForm form) : form_(form) {}

    Writer& set(const QString& key, const QString& v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, const char* v) {
        object_.insert(key, QString::fromUtf8(v));
        return *this;
    }
    Writer& set(const QString& key, bool v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, qint64 v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, int v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, double v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, const Uuid& v) {
        object_.insert(key, v.toString());
        return *this;
    }
    Writer& set(const QString& key, Date v);
    Writer& set(const QString& key, const QByteArray& data); // base64
    Writer& set(const QString& key, const QJsonObject& v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, const QJsonArray& v) {
        object_.insert(key, v);
        return *this;
    }
    Writer& set(const QString& key, const QStringList& v) {
        object_.insert(key, QJsonArray::fromStringList(v));
        return *this;
    }
    template <typename E>
    requires std::is_enum_v<E> Writer& set(const QString& key, E v) {
        object_.insert(key, enumName(v));
        return *this;
    }
    template <typename T> Writer& setOptional(const QString& key, const std::optional<T>& v) {
        if (v) set(key, *v);
        return *this;
    }

    DateForm dateForm() const { return form_; }
    QJsonObject object() const { return object_; }

  private:
    QJsonObject object_;
    DateForm form_;
};

QJsonValue dateValue(Date date, DateForm form);
// {"caseName": {"_0": payload}}
QJsonObject caseObject(const QString& caseName, const QJsonObject& payload);

// Parses `bytes`, requiring the top-level value to be an array or an object.
QJsonDocument parse(const QByteArray& bytes); // throws DecodeError
// Compact, or pretty-printed; members are always sorted by name.
QByteArray serialize(const QJsonValue& value, bool pretty = false);

// Runs a decoder, turning a DecodeError into an error text.
template <typename T> struct Decoded {
    std::optional<T> value;
    QString error;
    explicit operator bool() const { return value.has_value(); }
};
template <typename T, typename F> Decoded<T> tryDecode(F&& decode) {
    try {
        return Decoded<T>{std::optional<T>(decode()), {}};
    } catch (const DecodeError& e) {
        return Decoded<T>{std::nullopt, e.message()};
    }
}

} // namespace nimbrel::json
