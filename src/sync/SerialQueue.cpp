#include "sync/SerialQueue.h"

namespace nimbrel {

void SerialQueue::enqueue(Operation operation) {
    state_->waiting.push_back(std::move(operation));
    if (!state_->running) runNext(state_);
}

void SerialQueue::runNext(const std::shared_ptr<State>& state) {
    if (state->waiting.empty()) {
        state->running = false;
        return;
    }
    state->running = true;
    Operation operation = std::move(state->waiting.front());
    state->waiting.pop_front();
    // The state outlives the queue while an operation runs; a second call of `done` is ignored.
    auto called = std::make_shared<bool>(false);
    operation([state, called] {
        if (*called) return;
        *called = true;
        runNext(state);
    });
}

} // namespace nimbrel
