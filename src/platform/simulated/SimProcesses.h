#pragma once

#include "platform/ProcessRunner.h"
#include "platform/simulated/SimulatedMac.h"

#include <map>
#include <thread>

namespace nimbrel::sim {

// Answers the commands the program runs, without running anything on this machine:
// "killall Dock" and the Dock agent's "launchctl kickstart" restart the simulated Dock,
// "dscl . -read /Users/<name> <attribute>" reads the user's record. Anything else
// cannot be launched. A call from a worker thread is handed to the main thread and waited
// for, so the model is only ever touched there.
class SimProcesses final : public ProcessRunner {
  public:
    explicit SimProcesses(SimulatedMac& mac);

    using ProcessRunner::run;
    ProcessResult run(const QString& executable, const QStringList& arguments,
                      StandardErrorHandling standardError) override;

    // Fault: the executable cannot be launched, with this description.
    void failLaunch(const QString& executable, const QString& description) {
        launchFailures_[executable] = description;
    }
    // Fault: the executable runs and exits with `status` and this standard error, doing nothing.
    void exitWith(const QString& executable, int status, const QByteArray& standardError) {
        exitFailures_[executable] = {status, standardError};
    }
    // The executable works again.
    void clearFaults(const QString& executable) {
        launchFailures_.erase(executable);
        exitFailures_.erase(executable);
    }

  private:
    ProcessResult runOnMainThread(const QString& executable, const QStringList& arguments);
    ProcessResult killall(const QStringList& arguments);
    ProcessResult launchctl(const QStringList& arguments);
    ProcessResult dscl(const QStringList& arguments);

    SimulatedMac& mac_;
    std::map<QString, QString> launchFailures_;
    std::map<QString, std::pair<int, QByteArray>> exitFailures_;
    std::thread::id mainThread_;
};

} // namespace nimbrel::sim
