#include "ProgramParts.h"

#include "engine/NimbrelEngine.h"

namespace nimbrel::simtool {

std::vector<ProgramPart> programParts() {
    // Each part of the program as it is built, in start-up order.
    return {
        {QStringLiteral("engine"), [](Platform&) { NimbrelEngine::shared().startMonitoring(); }},
    };
}

} // namespace nimbrel::simtool
