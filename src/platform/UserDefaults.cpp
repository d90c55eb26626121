#include "platform/UserDefaults.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace nimbrel {

namespace {
quint64 nextGeneration() {
    static std::atomic<quint64> last{0};
    return ++last;
}

bool isInteger(const QVariant& v) {
    const int type = v.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::UInt ||
           type == QMetaType::ULongLong || type == QMetaType::Long;
}
} // namespace

bool sameStoredValue(const QVariant& a, const QVariant& b) {
    const auto sameNumber = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    if (a.typeId() != b.typeId()) return a == b;
    switch (a.typeId()) {
    case QMetaType::Double:
        return sameNumber(a.toDouble(), b.toDouble());
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), sameStoredValue);
    }
    case QMetaType::QVariantMap: {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys()) return false;
        for (auto it = x.begin(); it != x.end(); ++it)
            if (!sameStoredValue(it.value(), y.value(it.key()))) return false;
        return true;
    }
    default:
        if (a.typeId() == qMetaTypeId<Date>())
            return sameNumber(a.value<Date>().secondsSinceReferenceDate, b.value<Date>().secondsSinceReferenceDate);
        return a == b;
    }
}

UserDefaults::UserDefaults() : initialGeneration_(nextGeneration()) {}

quint64 UserDefaults::generation(const QString& key) const {
    return generations_.value(key, initialGeneration_);
}

void UserDefaults::noteChanged(const QString& key) {
    generations_.insert(key, nextGeneration());
}

std::optional<bool> UserDefaults::boolValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::Bool) return std::nullopt;
    return v.toBool();
}

std::optional<qint64> UserDefaults::integerValue(const QString& key) const {
    const QVariant v = object(key);
    if (!isInteger(v)) return std::nullopt;
    return v.toLongLong();
}

std::optional<double> UserDefaults::doubleValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) return v.toDouble();
    if (isInteger(v)) return static_cast<double>(v.toLongLong());
    return std::nullopt;
}

std::optional<QString> UserDefaults::stringValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QString) return std::nullopt;
    return v.toString();
}

std::optional<QByteArray> UserDefaults::dataValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
    return v.toByteArray();
}

std::optional<Date> UserDefaults::dateValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::fromType<Date>().id()) return std::nullopt;
    return v.value<Date>();
}

std::optional<QVariantList> UserDefaults::arrayValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QVariantList) return std::nullopt;
    return v.toList();
}

std::optional<QStringList> UserDefaults::stringArrayValue(const QString& key) const {
    const auto list = arrayValue(key);
    if (!list) return std::nullopt;
    QStringList out;
    out.reserve(list->size());
    for (const QVariant& item : *list) {
        if (item.typeId() != QMetaType::QString) return std::nullopt;
        out.push_back(item.toString());
    }
    return out;
}

std::optional<QVariantMap> UserDefaults::dictionaryValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QVariantMap) return std::nullopt;
    return v.toMap();
}

void UserDefaults::setStringArray(const QString& key, const QStringList& v) {
    QVariantList list;
    list.reserve(v.size());
    for (const QString& s : v)
        list.push_back(s);
    set(key, list);
}

QVariant InMemoryUserDefaults::object(const QString& key) const {
    return values_.value(key);
}

void InMemoryUserDefaults::set(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    values_.insert(key, value);
    notify(key);
}

void InMemoryUserDefaults::remove(const QString& key) {
    if (values_.remove(key) > 0) notify(key);
}

QStringList keysStartingWith(const QVariantMap& values, const QString& prefix) {
    QStringList out;
    for (auto it = values.lowerBound(prefix); it != values.cend() && it.key().startsWith(prefix); ++it)
        out << it.key();
    return out;
}

QStringList InMemoryUserDefaults::keys() const {
    return values_.keys();
}

ObserverToken InMemoryUserDefaults::observe(const QString& key, std::function<void()> onChange) {
    return changes_.addObserver(key, [onChange = std::move(onChange)](const Notification&) { onChange(); });
}

void InMemoryUserDefaults::notify(const QString& key) {
    noteChanged(key);
    changes_.post(key);
}

} // namespace nimbrel
