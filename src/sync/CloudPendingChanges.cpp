#include "sync/CloudPendingChanges.h"

#include "platform/UserDefaults.h"

namespace nimbrel {

CloudPendingChanges::CloudPendingChanges(UserDefaults& defaults, QString key)
    : defaults_(defaults), prefix_(key + QLatin1Char('.')) {
    const std::optional<QVariantMap> stored = defaults_.dictionaryValue(key);
    if (!stored) return;
    // An entry noted since in its own value is the newer one.
    for (auto it = stored->cbegin(); it != stored->cend(); ++it)
        if (it.value().typeId() == QMetaType::fromType<Date>().id() && !defaults_.contains(entryKey(it.key())))
            defaults_.set(entryKey(it.key()), it.value());
    defaults_.remove(key);
}

std::map<QString, Date> CloudPendingChanges::entries() const {
    std::map<QString, Date> out;
    for (const QString& key : defaults_.keysStartingWith(prefix_))
        if (auto date = defaults_.dateValue(key)) out[key.mid(prefix_.size())] = *date;
    return out;
}

std::optional<Date> CloudPendingChanges::dateOf(const QString& id) const {
    return defaults_.dateValue(entryKey(id));
}

void CloudPendingChanges::add(const QString& id, Date changedAt) {
    defaults_.setDate(entryKey(id), changedAt);
}

void CloudPendingChanges::remove(const QString& id) {
    if (defaults_.contains(entryKey(id))) defaults_.remove(entryKey(id));
}

} // namespace nimbrel
