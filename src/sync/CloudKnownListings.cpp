#include "sync/CloudKnownListings.h"

#include "platform/UserDefaults.h"

#include <algorithm>

namespace nimbrel {

CloudKnownListings::Known& CloudKnownListings::known(const QString& listName) {
    auto found = loaded_.find(listName);
    if (found != loaded_.end()) return found->second;
    Known known;
    if (defaults_) known.list = defaults_->stringArrayValue(keyPrefix + listName).value_or(QStringList());
    known.set = QSet<QString>(known.list.begin(), known.list.end());
    return loaded_.emplace(listName, std::move(known)).first->second;
}

QStringList CloudKnownListings::ids(const QString& listName) {
    return known(listName).list;
}

QStringList CloudKnownListings::read(const QString& listName, const QStringList& listed) {
    Known& k = known(listName);
    // Lists only grow, in the order of first addition: most reads hold what is known, in its order.
    if (listed.size() >= k.list.size() && std::equal(k.list.begin(), k.list.end(), listed.begin())) {
        add(listName, listed.mid(k.list.size()));
        return {};
    }
    const QSet<QString> there(listed.begin(), listed.end());
    QStringList missing;
    for (const QString& id : k.list)
        if (!there.contains(id)) missing.append(id);
    add(listName, listed);
    return missing;
}

void CloudKnownListings::add(const QString& listName, const QStringList& ids) {
    Known& k = known(listName);
    bool added = false;
    for (const QString& id : ids) {
        if (k.set.contains(id)) continue;
        k.set.insert(id);
        k.list.append(id);
        added = true;
    }
    if (added && defaults_) defaults_->setStringArray(keyPrefix + listName, k.list);
}

} // namespace nimbrel
