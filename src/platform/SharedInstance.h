#pragma once

#include <functional>
#include <memory>
#include <typeindex>

namespace nimbrel {

// Process-wide shared instances ("X.shared" of the design), created on first use.
// Tests call resetSharedInstances() between cases so no test sees another's state;
// instances are destroyed in the reverse order of their creation.
namespace detail {
void* findShared(std::type_index type);
void registerShared(std::type_index type, std::shared_ptr<void> instance);
} // namespace detail

template <typename T, typename Make> std::shared_ptr<T> sharedInstancePtr(Make make) {
    if (void* existing = detail::findShared(typeid(T))) return *static_cast<std::shared_ptr<T>*>(existing);
    std::shared_ptr<T> made = make();
    detail::registerShared(typeid(T), std::make_shared<std::shared_ptr<T>>(made));
    return made;
}

template <typename T, typename Make> T& sharedInstance(Make make) {
    return *sharedInstancePtr<T>(std::move(make));
}

// Whether a shared instance of T exists, without creating it.
template <typename T> bool hasSharedInstance() {
    return detail::findShared(typeid(T)) != nullptr;
}

void resetSharedInstances();

} // namespace nimbrel
