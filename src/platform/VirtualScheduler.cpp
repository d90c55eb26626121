#include "platform/VirtualScheduler.h"

#include "platform/WorkerThreads.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

BackgroundWork backgroundWorkFromEnvironment() {
    const char* value = std::getenv("NIMBREL_BACKGROUND_THREADS");
    return value && std::strcmp(value, "1") == 0 ? BackgroundWork::onThreads : BackgroundWork::atOnce;
}

namespace {

// As many workers as a small machine's thread pool has, and at least two, so that two pieces
// of background work can run side by side.
size_t workerCount() {
    return std::clamp<size_t>(std::thread::hardware_concurrency(), 2, 4);
}

} // namespace

VirtualScheduler::VirtualScheduler(Date start, BackgroundWork background) : now_(start), background_(background) {
    if (background_ == BackgroundWork::onThreads) workers_ = std::make_unique<WorkerThreads>(workerCount());
}

VirtualScheduler::~VirtualScheduler() {
    crossThreadCalls_.stop(); // a worker waiting for the main thread gives up
    workers_.reset();         // runs the work handed over and waits for it
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
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(work));
    }
    postedOrDone_.notify_all();
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
    if (!workers_) {
        // Deterministic: the "background" part runs at once, the result arrives on the next turn.
        work();
        if (then) after(0, std::move(then));
        return;
    }
    {
        std::lock_guard lock(postedMutex_);
        ++running_;
    }
    workers_->start([this, work = std::move(work), then = std::move(then)]() mutable {
        if (work) work();
        work = nullptr; // its captures go on the worker, as they would in the program
        {
            // The result is posted as the work ends, so an advance sees the one or the other.
            std::lock_guard lock(postedMutex_);
            if (then) posted_.push_back(std::move(then));
            --running_;
        }
        postedOrDone_.notify_all();
    });
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

bool VirtualScheduler::dueNow() const {
    return !queue_.empty() && queue_.begin()->first.first <= now_.secondsSinceReferenceDate;
}

// Waits until a worker posts something or every worker is done; false when none was running and
// nothing was posted, so there was nothing to wait for.
bool VirtualScheduler::waitForBackground() {
    std::unique_lock lock(postedMutex_);
    if (running_ == 0 && posted_.empty()) return false;
    postedOrDone_.wait(lock, [this] { return running_ == 0 || !posted_.empty(); });
    return true;
}

void VirtualScheduler::advance(double seconds) {
    advanceTo(now_.addingSeconds(std::max(0.0, seconds)));
}

void VirtualScheduler::advanceTo(Date target) {
    if (target < now_) target = now_;
    for (;;) {
        drainPosted();
        // Time moves on only once the workers are done and what they handed back has run.
        if (!dueNow() && waitForBackground()) continue;
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
    size_t running = 0;
    {
        std::lock_guard lock(postedMutex_);
        running = running_;
    }
    return running + static_cast<size_t>(std::count_if(queue_.begin(), queue_.end(),
                                                       [](const auto& item) { return !item.second->cancelled; }));
}

std::optional<double> VirtualScheduler::nextDueIn() const {
    {
        std::lock_guard lock(postedMutex_);
        if (running_ > 0 || !posted_.empty()) return 0.0;
    }
    for (const auto& [key, entry] : queue_)
        if (!entry->cancelled) return key.first - now_.secondsSinceReferenceDate;
    return std::nullopt;
}

} // namespace nimbrel
