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
    explicit Published(T value) : value_(std::make_shared<T>(std::move(value))) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return *value_; }
    operator const T&() const { return *value_; }

    // Returns whether the value changed (observers ran).
    bool set(T value) {
        if (value == *value_) return false;
        if (value_.use_count() > 1)
            value_ = std::make_shared<T>(std::move(value));
        else
            *value_ = std::move(value);
        notify();
        return true;
    }

    // Changes the value where it is and runs the observers, for a caller that knows it changes
    // it: a large value is then neither compared nor copied.
    template <typename Change> void modify(Change change) {
        change(own());
        notify();
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

    // The value to write: a fresh one while observers are still being handed the one before.
    T& own() {
        if (value_.use_count() > 1) value_ = std::make_shared<T>(*value_);
        return *value_;
    }

    void notify() {
        // The observers are copied, so one may add or remove observers while being called; the
        // value is held, not copied, so one that changes it leaves the others this change's value.
        auto keep = state_;
        const auto observers = keep->observers;
        const std::shared_ptr<const T> current = value_;
        for (const auto& [id, observer] : observers)
            observer(*current);
    }

    std::shared_ptr<T> value_ = std::make_shared<T>();
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace nimbrel
