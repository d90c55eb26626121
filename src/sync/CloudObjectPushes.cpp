#include "sync/CloudObjectPushes.h"

namespace nimbrel {

void CloudObjectPushes::push(const QString& key, Push push, Done done) {
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
    push([this, key, dones = std::move(dones)](SaveOutcome outcome) {
        Slot& slot = slots_[key];
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

} // namespace nimbrel
