#pragma once

#include "platform/ProcessRunner.h"
#include "platform/simulated/SimulatedMac.h"

#include <map>

namespace nimbrel::sim {

// Answers the commands the program runs, without running anything on this machine:
// "killall Dock" and the Dock agent's "launchctl kickstart" restart the simulated Dock,
// "dscl . -read /Users/<name> <attribute>" reads the user's record. Anything else
// cannot be launched.
class SimProcesses final : public ProcessRunner {
  public:
    explicit SimProcesses(SimulatedMac& mac) : mac_(mac) {}

    ProcessResult run(const QString& executable, const QStringList& arguments) override;

    // Fault: the executable cannot be launched, with this description.
    void failLaunch(const QString& executable, const QString& description) {
        launchFailures_[executable] = description;
    }

  private:
    ProcessResult killall(const QStringList& arguments);
    ProcessResult launchctl(const QStringList& arguments);
    ProcessResult dscl(const QStringList& arguments);

    SimulatedMac& mac_;
    std::map<QString, QString> launchFailures_;
};

} // namespace nimbrel::sim
