#include "platform/VirtualScheduler.h"

#include <algorithm>

namespace nimbrel {

struct VirtualScheduler::Entry final : ScheduledWork {
    std::function<void()> work;
    double interval = 0; // > 0 for repeating timers
    bool cancelled = false;

    void cancel() override {
        cancelled = true;
        work = nullptr; // drop captures at once
    }
    bool isCancelled() const override { return cancelled; }
};

VirtualScheduler::VirtualScheduler(Date start) : now_(start) {}

VirtualScheduler::~VirtualScheduler() {
    crossThreadCalls_.stop();
    for (auto& [key, entry] : queue_)
        entry->cancel();
}

WorkHandle VirtualScheduler::after(double delaySeconds, std::function<void()> work) {
    auto entry = std::make_shared<Entry>();
    entry->work = std::move(work);
    const double due = now_.secondsSinceReferenceDate + std::max(0.0, delaySeconds);
    queue_.emplace(std::make_pair(due, sequence_++), entry);
    return entry;
}

WorkHandle VirtualScheduler::every(double intervalSeconds, std::function<void()> work) {
    auto entry = std::make_shared<Entry>();
    entry->work = std::move(work);
    entry->interval = std::max(intervalSeconds, 1e-6);
    queue_.emplace(std::make_pair(now_.secondsSinceReferenceDate + entry->interval, sequence_++), entry);
    return entry;
}

void VirtualScheduler::postFromAnyThread(std::function<void()> work) {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(work));
}

bool VirtualScheduler::callOnMainThreadAndWait(std::function<void()> work) {
    if (std::this_thread::get_id() == mainThread_) {
        work();
        return true;
    }
    return crossThreadCalls_.callAndWait([this](std::function<void()> call) { postFromAnyThread(std::move(call)); },
                                         std::move(work));
}

void VirtualScheduler::runInBackground(std::function<void()> work, std::function<void()> then) {
    // Deterministic: the "background" part runs at once, the result arrives on the next turn.
    work();
    if (then) after(0, std::move(then));
}

void VirtualScheduler::drainPosted() {
    std::deque<std::function<void()>> items;
    {
        std::lock_guard lock(postedMutex_);
        items.swap(posted_);
    }
    for (auto& item : items)
        after(0, std::move(item));
}

void VirtualScheduler::advance(double seconds) {
    advanceTo(now_.addingSeconds(std::max(0.0, seconds)));
}

void VirtualScheduler::advanceTo(Date target) {
    if (target < now_) target = now_;
    for (;;) {
        drainPosted();
        if (queue_.empty()) break;
        auto first = queue_.begin();
        const double due = first->first.first;
        if (due > target.secondsSinceReferenceDate) break;
        std::shared_ptr<Entry> entry = first->second;
        queue_.erase(first);
        if (entry->cancelled) continue;
        if (due > now_.secondsSinceReferenceDate) now_ = Date{due};
        if (entry->interval > 0) {
            queue_.emplace(std::make_pair(due + entry->interval, sequence_++), entry);
            auto work = entry->work; // the timer may cancel itself while running
            if (work) work();
        } else {
            auto work = std::move(entry->work);
            entry->cancelled = true; // done: a later cancel() is a no-op
            if (work) work();
        }
    }
    // Work that ran a loop of its own (a modal alert) may have moved the clock past the target.
    if (now_ < target) now_ = target;
}

void VirtualScheduler::sleep(double seconds) {
    if (!(seconds > 0)) return;
    decltype(queue_) later;
    for (auto& [key, entry] : queue_)
        later.emplace(std::make_pair(key.first + seconds, key.second), std::move(entry));
    queue_ = std::move(later);
    now_ = now_.addingSeconds(seconds);
}

size_t VirtualScheduler::pendingCount() const {
    return static_cast<size_t>(
        std::count_if(queue_.begin(), queue_.end(), [](const auto& item) { return !item.second->cancelled; }));
}

std::optional<double> VirtualScheduler::nextDueIn() const {
    for (const auto& [key, entry] : queue_)
        if (!entry->cancelled) return key.first - now_.secondsSinceReferenceDate;
    return std::nullopt;
}

} // namespace nimbrel
