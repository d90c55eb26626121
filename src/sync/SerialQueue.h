#pragma once

#include <deque>
#include <functional>
#include <memory>

namespace nimbrel {

// Asynchronous operations that run one after another: each calls its `done` when it has
// finished, and only then does the next one start.
class SerialQueue {
  public:
    using Done = std::function<void()>;
    using Operation = std::function<void(Done done)>;

    void enqueue(Operation operation);
    bool isRunning() const { return state_->running; }

  private:
    struct State {
        std::deque<Operation> waiting;
        bool running = false;
    };
    static void runNext(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace nimbrel
