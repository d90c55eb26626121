#include "engine/EngineServices.h"

#include "activity/ActivityRecorder.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

EngineServices EngineServices::standard(Platform& platform) {
    EngineServices services;
    UserDefaults* defaults = platform.defaults;
    // Read afresh on every tap, so a change on a screen applies to the next one.
    services.behaviorMode = [defaults] { return NimbrelSettingsStore::currentBehaviorMode(*defaults); };
    services.minimizeAfterCycle = [defaults] { return NimbrelSettingsStore::currentMinimizeAfterCycle(*defaults); };
    // The rules store is reached on the tap, not before: it may not exist yet at start-up.
    services.rulesForDockTap = [](const NimbrelRuleAppTarget& app, int clickCount) {
        return NimbrelRulesStore::shared().rulesForDockTap(app, clickCount);
    };
    services.recordActivity = [&platform](NimbrelActivityType type, const QString& title, const QString& message) {
        recordNimbrelActivity(platform, type, title, message);
    };
    return services;
}

} // namespace nimbrel
