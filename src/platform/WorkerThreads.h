#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace nimbrel {

// A fixed number of threads that run the tasks handed to them, several at once, in the order
// they came. The threads start with the first task. Destruction runs the tasks still waiting and
// then joins the threads. Not Qt's pool, which the program's scheduler uses: its hand-over goes
// through Qt's own locks, which ThreadSanitizer does not see in Qt's uninstrumented library.
class WorkerThreads {
  public:
    explicit WorkerThreads(size_t count);
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    void start(std::function<void()> task);

  private:
    void serve();

    const size_t count_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace nimbrel
