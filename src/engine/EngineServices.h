#pragma once

#include "activity/ActivityEntry.h"
#include "model/BehaviorMode.h"
#include "model/Rule.h"

#include <functional>
#include <vector>

namespace nimbrel {

struct Platform;

// What the engine asks of the stores at each tap. The shared engine reads the real
// stores; tests may answer themselves.
struct EngineServices {
    std::function<NimbrelBehaviorMode()> behaviorMode;
    std::function<bool()> minimizeAfterCycle;
    std::function<std::vector<NimbrelRule>(const NimbrelRuleAppTarget& app, int clickCount)> rulesForDockTap;
    std::function<void(NimbrelActivityType, const QString& title, const QString& message)> recordActivity;

    // The settings read from the platform's defaults, the shared rules store and the activity log.
    static EngineServices standard(Platform& platform);
};

} // namespace nimbrel
