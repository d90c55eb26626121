#include "model/Rule.h"

namespace nimbrel {

NimbrelRule NimbrelRule::make(QString name, bool isEnabled, bool isPinned, NimbrelRuleTrigger trigger,
                              std::vector<NimbrelRuleAction> actions, Date now) {
    return NimbrelRule{
        .id = Uuid::random(),
        .name = std::move(name),
        .isEnabled = isEnabled,
        .isPinned = isPinned,
        .pausedUntil = std::nullopt,
        .trigger = std::move(trigger),
        .availability = NimbrelRuleAvailability::defaultAvailability(),
        .actions = std::move(actions),
        .createdAt = now,
        .updatedAt = now,
    };
}

} // namespace nimbrel
