#include "platform/SharedInstance.h"

#include <vector>

namespace nimbrel {

namespace {
struct Registry {
    std::vector<std::pair<std::type_index, std::shared_ptr<void>>> instances; // creation order
};
Registry& registry() {
    static Registry r;
    return r;
}
} // namespace

void* detail::findShared(std::type_index type) {
    for (auto& [t, instance] : registry().instances)
        if (t == type) return instance.get();
    return nullptr;
}

void detail::registerShared(std::type_index type, std::shared_ptr<void> instance) {
    registry().instances.emplace_back(type, std::move(instance));
}

void resetSharedInstances() {
    auto& list = registry().instances;
    // Destroy newest first; an instance's destructor may look up older ones.
    while (!list.empty()) {
        auto last = std::move(list.back());
        list.pop_back();
        last.second.reset();
    }
}

} // namespace nimbrel
