#include "platform/WorkerThreads.h"

#include <algorithm>

namespace nimbrel {

WorkerThreads::WorkerThreads(size_t count) : count_(std::max<size_t>(1, count)) {}

WorkerThreads::~WorkerThreads() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void WorkerThreads::start(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (threads_.empty())
            for (size_t i = 0; i < count_; ++i)
                threads_.emplace_back([this] { serve(); });
    }
    changed_.notify_one();
}

void WorkerThreads::serve() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) return; // stopping, and nothing left to run
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace nimbrel
