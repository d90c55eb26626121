#pragma once

#include "platform/Platform.h"

#include <QString>

#include <functional>
#include <vector>

namespace nimbrel::simtool {

// A piece of the program that a scenario runs: started once, in list order, right after
// the simulated platform is installed and the stored defaults and files are in place.
struct ProgramPart {
    QString name;
    std::function<void(Platform&)> start;
};

// The parts of the program that exist; ProgramParts.cpp lists them.
std::vector<ProgramPart> programParts();

} // namespace nimbrel::simtool
