#include "ProcessScheduler.h"

#include <algorithm>

namespace nimbrel::simtool {

ProcessScheduler::ProcessScheduler(Scheduler& machine) : machine_(machine) {}

ProcessScheduler::~ProcessScheduler() {
    end();
}

std::function<void()> ProcessScheduler::whileAlive(std::function<void()> work) const {
    return [alive = alive_, work = std::move(work)] {
        if (*alive && work) work();
    };
}

WorkHandle ProcessScheduler::keep(WorkHandle handle) {
    // Done and cancelled work is forgotten now and then, so the list stays as long as what is pending.
    if (pending_.size() >= 64 && pending_.size() == pending_.capacity())
        std::erase_if(pending_, [](const WorkHandle& h) { return h->isCancelled(); });
    pending_.push_back(handle);
    return handle;
}

WorkHandle ProcessScheduler::after(double delaySeconds, std::function<void()> work) {
    return keep(machine_.after(delaySeconds, whileAlive(std::move(work))));
}

WorkHandle ProcessScheduler::every(double intervalSeconds, std::function<void()> work) {
    return keep(machine_.every(intervalSeconds, whileAlive(std::move(work))));
}

void ProcessScheduler::postFromAnyThread(std::function<void()> work) {
    machine_.postFromAnyThread(whileAlive(std::move(work)));
}

bool ProcessScheduler::callOnMainThreadAndWait(std::function<void()> work) {
    // An ended process takes no more work; its worker's call fails instead of waiting.
    if (!alive_->load()) return false;
    return machine_.callOnMainThreadAndWait(std::move(work));
}

void ProcessScheduler::runInBackground(std::function<void()> work, std::function<void()> then) {
    machine_.runInBackground(std::move(work), then ? whileAlive(std::move(then)) : nullptr);
}

void ProcessScheduler::end() {
    *alive_ = false;
    for (const WorkHandle& h : pending_)
        h->cancel();
    pending_.clear();
}

} // namespace nimbrel::simtool
