#pragma once

class QEventLoop;

namespace nimbrel {

// What a modal window of the simulated Mac waits in: the event loop runs on (the Mac, the
// program's timers and a person's input) until the window is answered, or until the program
// quits, which ends every loop that runs.
class ModalSession {
  public:
    // Blocks until `end` (true) or the program's quit (false).
    bool run();
    void end();

  private:
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
};

} // namespace nimbrel
