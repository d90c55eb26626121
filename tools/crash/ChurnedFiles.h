#pragma once

// The files of the crash-consistency run: what the churn tool keeps rewriting through the
// program's own writers, and how the driver reads each back after a SIGKILL, as the program
// would at its next start. A new kind of file is one more entry of churnedFiles().

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nimbrel::crash {

// What a writer is set up with in the churn tool.
struct ChurnContext {
    Platform& platform;       // real scheduler and clock, the run's Locations
    double macStateSaveDelay; // seconds
    // Keeps the writers of a file alive for the whole run.
    std::vector<std::shared_ptr<void>>& keep;
};

// What the driver found in one file after a kill.
struct FileCheck {
    bool present = false;
    std::optional<QString> damage; // why the program could not read it whole
    qint64 counter = 0;            // the last round it holds; never goes back between kills
};

struct ChurnedFile {
    QString name;
    // Sets the writer up; answers the change of each round (rounds count up from `first`).
    std::function<std::function<void(qint64 round)>(ChurnContext&)> start;
    // The round the file holds, read without the writer: where the next run counts on from.
    std::function<FileCheck(const Locations&)> check;
};

const std::vector<ChurnedFile>& churnedFiles();
const ChurnedFile* churnedFile(const QString& name);

} // namespace nimbrel::crash
