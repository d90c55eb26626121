#pragma once

#include "platform/NotificationCenter.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace nimbrel {

// A value that screens observe: observers run after every assignment that changes it,
// on the main thread, in the order they were added. The token removes its observer.
template <typename T> class Published {
  public:
    using Observer = std::function<void(const T&)>;

    Published() = default;
    explicit Published(T value) : value_(std::move(value)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    // Returns whether the value changed (observers ran).
    bool set(T value) {
        if (value == value_) return false;
        value_ = std::move(value);
        notify();
        return true;
    }

    [[nodiscard]] ObserverToken observe(Observer observer) const {
        const uint64_t id = state_->nextId++;
        state_->observers.emplace_back(id, std::move(observer));
        std::weak_ptr<State> weak = state_;
        return ObserverToken([weak, id] {
            if (auto state = weak.lock())
                std::erase_if(state->observers, [id](const auto& o) { return o.first == id; });
        });
    }

  private:
    struct State {
        uint64_t nextId = 0;
        std::vector<std::pair<uint64_t, Observer>> observers;
    };

    void notify() {
        // A copy, so an observer may add or remove observers while being called.
        auto keep = state_;
        const auto observers = keep->observers;
        const T current = value_;
        for (const auto& [id, observer] : observers)
            observer(current);
    }

    T value_{};
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace nimbrel
