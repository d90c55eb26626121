#pragma once

#include "ProgramParts.h"

#include <QJsonObject>
#include <QStringList>

namespace nimbrel::simtool {

// Runs one scenario: builds a simulated Mac in `workFolder` (its own data, defaults and
// disk), applies the scenario's desktop, defaults and files, starts the program parts,
// plays the timeline on virtual time and returns the transcript.
class ScenarioRunner {
  public:
    ScenarioRunner(QString workFolder, std::vector<ProgramPart> parts = programParts());

    // False with `error` set when the scenario is not valid JSON of the expected shape.
    bool load(const QByteArray& json, QString* error);
    QStringList run();
    // Keep the simulated Mac's state in the work folder when the run ends.
    void setSaveState(bool save) { saveState_ = save; }

  private:
    QString workFolder_;
    std::vector<ProgramPart> parts_;
    QJsonObject scenario_;
    bool saveState_ = false;
};

} // namespace nimbrel::simtool
