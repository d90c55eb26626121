#include "sync/CloudPendingChanges.h"

#include "platform/UserDefaults.h"

namespace nimbrel {

std::map<QString, Date> CloudPendingChanges::entries() const {
    std::map<QString, Date> out;
    const QVariantMap stored = defaults_.dictionaryValue(key_).value_or(QVariantMap());
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        if (it.value().typeId() == QMetaType::fromType<Date>().id()) out[it.key()] = it.value().value<Date>();
    return out;
}

std::optional<Date> CloudPendingChanges::dateOf(const QString& id) const {
    const QVariant stored = defaults_.dictionaryValue(key_).value_or(QVariantMap()).value(id);
    if (stored.typeId() != QMetaType::fromType<Date>().id()) return std::nullopt;
    return stored.value<Date>();
}

void CloudPendingChanges::add(const QString& id, Date changedAt) {
    QVariantMap stored = defaults_.dictionaryValue(key_).value_or(QVariantMap());
    stored.insert(id, QVariant::fromValue(changedAt));
    defaults_.set(key_, stored);
}

void CloudPendingChanges::remove(const QString& id) {
    QVariantMap stored = defaults_.dictionaryValue(key_).value_or(QVariantMap());
    if (!stored.remove(id)) return;
    if (stored.isEmpty())
        defaults_.remove(key_);
    else
        defaults_.set(key_, stored);
}

} // namespace nimbrel
