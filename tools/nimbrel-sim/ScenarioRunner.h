#pragma once

#include "platform/Platform.h"

#include <QJsonObject>
#include <QStringList>

#include <functional>

namespace nimbrel::simtool {

// Runs one scenario: builds a simulated Mac in `workFolder` (its own data, defaults and
// disk), applies the scenario's desktop, defaults and files, launches the program (as
// `nimbrel` starts it, without its display), plays the timeline on virtual time and returns
// the transcript.
class ScenarioRunner {
  public:
    explicit ScenarioRunner(QString workFolder);

    // False with `error` set when the scenario is not valid JSON of the expected shape.
    bool load(const QByteArray& json, QString* error);
    QStringList run();
    // Keep the simulated Mac's state in the work folder when the run ends.
    void setSaveState(bool save) { saveState_ = save; }
    // Runs as each launch of the program begins, with its platform installed (tests).
    void setLaunchHook(std::function<void(Platform&)> hook) { launchHook_ = std::move(hook); }

  private:
    QString workFolder_;
    QJsonObject scenario_;
    bool saveState_ = false;
    std::function<void(Platform&)> launchHook_;
};

} // namespace nimbrel::simtool
