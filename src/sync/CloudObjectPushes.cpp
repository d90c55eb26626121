#include "sync/CloudObjectPushes.h"

namespace nimbrel {

void CloudObjectPushes::push(const QString& key, Push push, Done done) {
    failed_.erase(key); // a newer push replaces one that failed
    Slot& slot = slots_[key];
    if (slot.running) {
        slot.waiting = std::move(push);
        if (done) slot.waitingDones.push_back(std::move(done));
        return;
    }
    std::vector<Done> dones;
    if (done) dones.push_back(std::move(done));
    run(key, std::move(push), std::move(dones));
}

void CloudObjectPushes::run(const QString& key, Push push, std::vector<Done> dones) {
    slots_[key].running = true;
    Push kept = push;
    push([this, key, kept = std::move(kept), dones = std::move(dones)](SaveOutcome outcome) {
        Slot& slot = slots_[key];
        if ((outcome == SaveOutcome::failed || outcome == SaveOutcome::skippedAccount) && !slot.waiting)
            failed_[key] = kept;
        for (const Done& done : dones)
            done(outcome);
        if (slot.waiting) {
            Push next = std::move(*slot.waiting);
            slot.waiting.reset();
            run(key, std::move(next), std::exchange(slot.waitingDones, {}));
        } else {
            slots_.erase(key);
        }
    });
}

void CloudObjectPushes::retry(const QString& prefix) {
    std::vector<std::pair<QString, Push>> due;
    for (auto it = failed_.begin(); it != failed_.end();) {
        if (it->first.startsWith(prefix)) {
            due.emplace_back(it->first, std::move(it->second));
            it = failed_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [key, push] : due)
        this->push(key, std::move(push), {});
}

} // namespace nimbrel
