#include "ProgramParts.h"

#include "engine/NimbrelEngine.h"

namespace nimbrel::simtool {

std::vector<ProgramPart> programParts() {
    // Add each part of the program here as it is built, in start-up order.
    return {
        {QStringLiteral("engine"), [](Platform&) { NimbrelEngine::shared().startMonitoring(); }},
    };
}

} // namespace nimbrel::simtool
