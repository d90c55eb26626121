#pragma once

#include "platform/simulated/SimScriptSyntax.h"
#include "platform/simulated/SimulatedMac.h"

#include <QVariantMap>

#include <map>

namespace nimbrel::sim {

// Runs parsed scripts against the simulated Mac: browsers make windows and tabs and load
// URLs, terminals run commands (recorded, never executed), System Events types keys.
// Every effect is recorded as a script effect.
class ScriptRunner {
  public:
    struct Outcome {
        std::optional<QVariantMap> error; // the error dictionary
        QString result;
    };

    explicit ScriptRunner(SimulatedMac& mac) : mac_(mac) {}

    Outcome run(const std::vector<script::Stmt>& script);

    // Faults by bundle identifier: Apple events to it fail with this number.
    void setFault(const QString& bundleIdentifier, int errorNumber) { faults_[bundleIdentifier] = errorNumber; }
    void clearFault(const QString& bundleIdentifier) { faults_.erase(bundleIdentifier); }

  private:
    std::map<QString, int> faults_;
    SimulatedMac& mac_;
};

} // namespace nimbrel::sim
