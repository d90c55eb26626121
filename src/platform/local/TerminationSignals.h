#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace nimbrel {

// SIGINT, SIGTERM and SIGHUP turned into a call on the main thread, the Qt way: the handler
// only writes the signal's number into a socket pair, and a notifier on the other end makes
// the call from the event loop, so no Qt or program code runs inside a handler. SIGPIPE is
// ignored, so that output to a closed pipe fails instead of ending the program. One at a time;
// the previous handlers come back when it goes.
class TerminationSignals final {
  public:
    // `received` gets each signal's number, in the order they came.
    explicit TerminationSignals(std::function<void(int)> received);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Whether the handlers are in place (false when the socket pair could not be made).
    bool isActive() const { return active_; }
    // The signals handled.
    static const int kHandled[3];

  private:
    void readPending();

    std::function<void(int)> received_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool active_ = false;
};

} // namespace nimbrel
