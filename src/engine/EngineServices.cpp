#include "engine/EngineServices.h"

#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

EngineServices EngineServices::standard(Platform& platform) {
    EngineServices services;
    UserDefaults* defaults = platform.defaults;
    services.behaviorMode = [defaults] {
        const QString raw = defaults->stringValue(QStringLiteral("Nimbrel.settings.behaviorMode")).value_or(QString());
        if (raw == QLatin1String("restore")) return NimbrelBehaviorMode::restore;
        if (raw == QLatin1String("cycling")) return NimbrelBehaviorMode::cycling;
        if (raw == QLatin1String("disabled")) return NimbrelBehaviorMode::disabled;
        return NimbrelBehaviorMode::automatic;
    };
    services.minimizeAfterCycle = [defaults] {
        return defaults->boolValue(QStringLiteral("Nimbrel.settings.minimizeAfterCycle")).value_or(true);
    };
    services.rulesForDockTap = [](const NimbrelRuleAppTarget&, int) { return std::vector<NimbrelRule>{}; };

    return services;
}

} // namespace nimbrel
