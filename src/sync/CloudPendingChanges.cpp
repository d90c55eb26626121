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

bool CloudPendingChanges::contains(const QString& id) const {
    return entries().count(id) > 0;
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
