#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace nimbrel {

// Workers that hand a call to the main thread and wait for it, and their release when the
// main thread takes no more work: a wait never outlives the loop that was to answer it.
class MainThreadCalls {
  public:
    using Post = std::function<void(std::function<void()>)>;

    // From a worker: hands `work` to the main thread through `post` and waits until it has
    // run. False, with `work` not run, once stop() came (before or during the wait).
    bool callAndWait(const Post& post, std::function<void()> work);
    // Releases every waiting call (each fails) and fails every later one. Any thread.
    void stop();
    bool isStopped() const;

  private:
    struct Call;
    mutable std::mutex mutex_;
    bool stopped_ = false;
    std::vector<std::weak_ptr<Call>> waiting_;
};

} // namespace nimbrel
