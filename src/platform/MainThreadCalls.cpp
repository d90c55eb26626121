#include "platform/MainThreadCalls.h"

#include <algorithm>
#include <condition_variable>

namespace nimbrel {

struct MainThreadCalls::Call {
    enum class State { waiting, running, done, abandoned };
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::waiting;

    // Whoever comes first decides: the main thread runs it, or a stop abandons it.
    bool claim(State next) {
        std::lock_guard lock(mutex);
        if (state != State::waiting) return false;
        state = next;
        if (next == State::abandoned) changed.notify_all();
        return true;
    }
};

bool MainThreadCalls::callAndWait(const Post& post, std::function<void()> work) {
    auto call = std::make_shared<Call>();
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        std::erase_if(waiting_, [](const std::weak_ptr<Call>& c) { return c.expired(); });
        waiting_.push_back(call);
    }
    post([call, work = std::move(work)] {
        if (!call->claim(Call::State::running)) return; // the worker has given up on it
        work();
        std::lock_guard lock(call->mutex);
        call->state = Call::State::done;
        call->changed.notify_all();
    });
    std::unique_lock lock(call->mutex);
    call->changed.wait(lock, [&] { return call->state == Call::State::done || call->state == Call::State::abandoned; });
    return call->state == Call::State::done;
}

void MainThreadCalls::stop() {
    std::vector<std::weak_ptr<Call>> waiting;
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        waiting.swap(waiting_);
    }
    for (const auto& weak : waiting)
        if (auto call = weak.lock()) call->claim(Call::State::abandoned);
}

bool MainThreadCalls::isStopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

} // namespace nimbrel
