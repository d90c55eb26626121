#include "platform/SharedInstance.h"

#include <vector>

namespace nimbrel {

struct SharedInstanceSet::Registry {
    std::vector<std::pair<std::type_index, std::shared_ptr<void>>> instances; // creation order

    void reset() {
        // Destroy newest first; an instance's destructor may look up older ones.
        while (!instances.empty()) {
            auto last = std::move(instances.back());
            instances.pop_back();
            last.second.reset();
        }
    }
};

namespace {
using Registry = SharedInstanceSet::Registry;

Registry*& current() {
    static Registry process;
    static Registry* installed = &process;
    return installed;
}
} // namespace

void* detail::findShared(std::type_index type) {
    for (auto& [t, instance] : current()->instances)
        if (t == type) return instance.get();
    return nullptr;
}

void detail::registerShared(std::type_index type, std::shared_ptr<void> instance) {
    current()->instances.emplace_back(type, std::move(instance));
}

void resetSharedInstances() {
    current()->reset();
}

SharedInstanceSet::SharedInstanceSet() : registry_(std::make_unique<Registry>()) {}

SharedInstanceSet::~SharedInstanceSet() {
    ScopedSharedInstances installed(*this);
    registry_->reset();
}

void SharedInstanceSet::reset() {
    registry_->reset();
}

ScopedSharedInstances::ScopedSharedInstances(SharedInstanceSet& set) : previous_(current()) {
    current() = set.registry_.get();
}

ScopedSharedInstances::~ScopedSharedInstances() {
    current() = static_cast<Registry*>(previous_);
}

} // namespace nimbrel
