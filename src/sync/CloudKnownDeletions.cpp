#include "sync/CloudKnownDeletions.h"

#include "platform/UserDefaults.h"

namespace nimbrel {

CloudKnownDeletions::Known& CloudKnownDeletions::known(NimbrelCloudPayloadType type) {
    auto found = loaded_.find(type);
    if (found != loaded_.end()) return found->second;
    Known known;
    if (defaults_) known.list = defaults_->stringArrayValue(keyPrefix + rawValue(type)).value_or(QStringList());
    known.set = QSet<QString>(known.list.begin(), known.list.end());
    return loaded_.emplace(type, std::move(known)).first->second;
}

QStringList CloudKnownDeletions::ids(NimbrelCloudPayloadType type) {
    return known(type).list;
}

void CloudKnownDeletions::add(NimbrelCloudPayloadType type, const QStringList& ids) {
    Known& k = known(type);
    bool added = false;
    for (const QString& id : ids) {
        if (k.set.contains(id)) continue;
        k.set.insert(id);
        k.list.append(id);
        added = true;
    }
    if (added && defaults_) defaults_->setStringArray(keyPrefix + rawValue(type), k.list);
}

} // namespace nimbrel
