#pragma once

#include <functional>

namespace nimbrel {

// What the Mac's launch services give an application: one running copy for the user's data. A
// second launch does not start another; it asks the running one to come forward and ends.
class InstanceGuard {
  public:
    virtual ~InstanceGuard() = default;

    // Makes this process the running one for as long as it lives; false when another one is.
    // Nothing the program owns is written before this says yes.
    virtual bool claim() = 0;
    // After a refused claim: asks the running one to come forward; whether it was reached.
    virtual bool askRunningToComeForward() = 0;
    // After a claim: `comeForward` is called on the main thread for each later launch's request.
    // False when requests cannot be heard (the running one then only refuses later launches).
    virtual bool answerRequests(std::function<void()> comeForward) = 0;
};

} // namespace nimbrel
