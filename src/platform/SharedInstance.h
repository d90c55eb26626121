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
void registerShared(std::type_index type, std::shared_ptr<void> instance, std::function<void()> release);
} // namespace detail

// An instance whose queued work holds the instance itself (callbacks waiting inside it) has
// `releasePendingWork()`: its set calls it as it lets go of the instance, so that the instance
// does not keep itself alive.
template <typename T>
concept HoldsPendingWork = requires(T& t) {
    t.releasePendingWork();
};

template <typename T, typename Make> std::shared_ptr<T> sharedInstancePtr(Make make) {
    if (void* existing = detail::findShared(typeid(T))) return *static_cast<std::shared_ptr<T>*>(existing);
    std::shared_ptr<T> made = make();
    std::function<void()> release;
    if constexpr (HoldsPendingWork<T>)
        release = [weak = std::weak_ptr<T>(made)] {
            if (auto instance = weak.lock()) instance->releasePendingWork();
        };
    detail::registerShared(typeid(T), std::make_shared<std::shared_ptr<T>>(made), std::move(release));
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

// A set of shared instances of its own: while one is installed, "shared" means its instances.
// Two programs in one process (two Macs in a test) each keep theirs; destroying a set destroys
// its instances, newest first.
class SharedInstanceSet {
  public:
    SharedInstanceSet();
    ~SharedInstanceSet();
    SharedInstanceSet(const SharedInstanceSet&) = delete;
    SharedInstanceSet& operator=(const SharedInstanceSet&) = delete;

    // Destroys its instances, newest first (install it first if their destructors need it).
    void reset();

    struct Registry; // the instances, in creation order

  private:
    friend class ScopedSharedInstances;
    std::unique_ptr<Registry> registry_;
};

// Installs `set` for the current scope and restores the previous set after.
class ScopedSharedInstances {
  public:
    explicit ScopedSharedInstances(SharedInstanceSet& set);
    ~ScopedSharedInstances();
    ScopedSharedInstances(const ScopedSharedInstances&) = delete;
    ScopedSharedInstances& operator=(const ScopedSharedInstances&) = delete;

  private:
    void* previous_;
};

} // namespace nimbrel
