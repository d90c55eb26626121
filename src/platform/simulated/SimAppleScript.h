#pragma once

#include "platform/AppleScript.h"
#include "platform/simulated/SimScriptRunner.h"
#include "platform/simulated/SimulatedMac.h"

#include <QStringList>

#include <mutex>
#include <thread>
#include <vector>

namespace nimbrel::sim {

inline const QString kNotRunWhileQuittingMessage =
    QStringLiteral("The script was not run because Nimbrel is quitting.");

// AppleScript on the simulated Mac. Scripts are parsed and carried out against the model;
// a call from a worker thread is handed to the main thread and waited for, so the model
// is only ever touched on the main thread. Once the main thread takes no more work, such a
// call fails at once with error -609 and kNotRunWhileQuittingMessage.
class SimAppleScript final : public AppleScriptRunner {
  public:
    explicit SimAppleScript(SimulatedMac& mac);

    std::optional<QVariantMap> compile(const QString& source) override;
    AppleScriptResult execute(const QString& source) override;

    // Faults: every Apple event to this application fails with `errorNumber` (-1743, -600, ...).
    void failScriptsFor(const QString& bundleIdentifier, int errorNumber) {
        runner_.setFault(bundleIdentifier, errorNumber);
    }
    void clearFault(const QString& bundleIdentifier) { runner_.clearFault(bundleIdentifier); }
    // Fault: the next script sent to this application (told by bundle identifier or by name)
    // does not compile (-2741). Main thread only.
    void failNextCompile(const QString& bundleIdentifier, const QString& name);

    // Every source run, in order.
    const QStringList& sources() const { return sources_; }

  private:
    AppleScriptResult executeOnMainThread(const QString& source);
    // The compile fault this script meets, taken (it fails one script only); any thread.
    std::optional<QVariantMap> takeCompileFault(const QString& source);

    SimulatedMac& mac_;
    ScriptRunner runner_;
    QStringList sources_;
    // Pending compile faults: each the texts that name the application in a script.
    std::vector<QStringList> compileFaults_;
    std::mutex compileFaultsMutex_;
    std::thread::id mainThread_;
};

} // namespace nimbrel::sim
