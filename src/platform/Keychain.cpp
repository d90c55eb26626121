#include "platform/Keychain.h"

namespace nimbrel {

namespace {
bool validKey(const QString& service, const QString& account) {
    return !service.isEmpty() && !account.isNull();
}
} // namespace

int InMemoryKeychain::add(const QString& service, const QString& account, const QByteArray& data,
                          const QString& accessibility) {
    if (forcedStatus_ != errSecSuccess) return forcedStatus_;
    if (!validKey(service, account)) return errSecParam;
    auto [it, inserted] = items_.emplace(std::make_pair(service, account), Item{data, accessibility});
    return inserted ? errSecSuccess : errSecDuplicateItem;
}

int InMemoryKeychain::copyMatching(const QString& service, const QString& account, QByteArray* data) const {
    if (forcedStatus_ != errSecSuccess) return forcedStatus_;
    if (readStatus_ != errSecSuccess) return readStatus_;
    if (!validKey(service, account)) return errSecParam;
    auto it = items_.find({service, account});
    if (it == items_.end()) return errSecItemNotFound;
    if (data) *data = it->second.data;
    return errSecSuccess;
}

int InMemoryKeychain::update(const QString& service, const QString& account, const QByteArray& data,
                             const QString& accessibility) {
    if (forcedStatus_ != errSecSuccess) return forcedStatus_;
    if (!validKey(service, account)) return errSecParam;
    auto it = items_.find({service, account});
    if (it == items_.end()) return errSecItemNotFound;
    it->second = Item{data, accessibility};
    return errSecSuccess;
}

std::optional<QString> InMemoryKeychain::accessibility(const QString& service, const QString& account) const {
    auto it = items_.find({service, account});
    if (it == items_.end()) return std::nullopt;
    return it->second.accessibility;
}

std::vector<InMemoryKeychain::ListedItem> InMemoryKeychain::items() const {
    std::vector<ListedItem> listed;
    for (const auto& [key, item] : items_)
        listed.push_back({key.first, key.second, item.data, item.accessibility});
    return listed;
}

int InMemoryKeychain::remove(const QString& service, const QString& account) {
    if (forcedStatus_ != errSecSuccess) return forcedStatus_;
    if (!validKey(service, account)) return errSecParam;
    return items_.erase({service, account}) ? errSecSuccess : errSecItemNotFound;
}

} // namespace nimbrel
