#include "platform/SharedInstance.h"

#include <vector>

namespace nimbrel {

struct SharedInstanceSet::Registry {
    struct Entry {
        std::type_index type;
        std::shared_ptr<void> instance;
        std::function<void()> release;
    };
    std::vector<Entry> instances; // creation order

    void reset() {
        // Destroy newest first; an instance's destructor may look up older ones.
        while (!instances.empty()) {
            Entry last = std::move(instances.back());
            instances.pop_back();
            if (last.release) last.release();
            last.instance.reset();
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
    for (auto& entry : current()->instances)
        if (entry.type == type) return entry.instance.get();
    return nullptr;
}

void detail::registerShared(std::type_index type, std::shared_ptr<void> instance, std::function<void()> release) {
    current()->instances.push_back({type, std::move(instance), std::move(release)});
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
