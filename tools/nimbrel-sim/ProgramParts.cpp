#include "ProgramParts.h"

namespace nimbrel::simtool {

std::vector<ProgramPart> programParts() {
    // Add each part of the program here as it is built, in start-up order, e.g.
    //   {QStringLiteral("engine"), [](Platform&) { NimbrelEngine::shared().startMonitoring(); }},
    return {};
}

} // namespace nimbrel::simtool
