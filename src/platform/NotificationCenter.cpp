#include "platform/NotificationCenter.h"

namespace nimbrel {

struct NotificationCenter::State {
    struct Entry {
        uint64_t id;
        QString name;
        std::shared_ptr<Observer> observer;
    };
    std::vector<Entry> entries;
    uint64_t nextId = 1;
};

NotificationCenter::NotificationCenter() : state_(std::make_shared<State>()) {}
NotificationCenter::~NotificationCenter() = default;

ObserverToken NotificationCenter::addObserver(const QString& name, Observer observer) {
    const uint64_t id = state_->nextId++;
    state_->entries.push_back({id, name, std::make_shared<Observer>(std::move(observer))});
    std::weak_ptr<State> weak = state_;
    return ObserverToken([weak, id] {
        if (auto state = weak.lock()) {
            std::erase_if(state->entries, [id](const State::Entry& e) { return e.id == id; });
        }
    });
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo) {
    const Notification notification{name, userInfo};
    if (recording_) posted_.push_back(notification);
    // Snapshot, so observers may add or remove observers while being called;
    // one removed during delivery is not called afterwards.
    std::vector<std::pair<uint64_t, std::weak_ptr<Observer>>> targets;
    for (const auto& entry : state_->entries)
        if (entry.name == name) targets.emplace_back(entry.id, entry.observer);
    auto state = state_; // keep alive if an observer destroys this center's owner
    for (auto& [id, weakObserver] : targets) {
        const bool stillRegistered = std::any_of(state->entries.begin(), state->entries.end(),
                                                 [id = id](const State::Entry& e) { return e.id == id; });
        if (!stillRegistered) continue;
        if (auto observer = weakObserver.lock()) (*observer)(notification);
    }
}

} // namespace nimbrel
