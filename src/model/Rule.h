#pragma once

#include "model/RuleActions.h"
#include "model/RuleSchedule.h"
#include "platform/Date.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace nimbrel {

class FileSystem;
class Workspace;

// Which app's Dock tile, clicked how many times together. Counts outside 1...3 are kept
// as stored; they simply never match a tap.
struct NimbrelRuleTrigger {
    std::int64_t clickCount = 1;
    NimbrelRuleAppTarget app;

    friend bool operator==(const NimbrelRuleTrigger&, const NimbrelRuleTrigger&) = default;
};

// One rule: when its trigger app is clicked and its schedule allows, run its actions.
struct NimbrelRule {
    Uuid id = Uuid::random();
    QString name;
    bool isEnabled = true;
    bool isPinned = false;
    std::optional<Date> pausedUntil; // a pause without end is Date::distantFuture()
    NimbrelRuleTrigger trigger;
    NimbrelRuleAvailability availability;
    std::vector<NimbrelRuleAction> actions;
    Date createdAt;
    Date updatedAt;

    // A new rule: random id, the default schedule, created and updated `now`.
    static NimbrelRule make(QString name, bool isEnabled, bool isPinned, NimbrelRuleTrigger trigger,
                            std::vector<NimbrelRuleAction> actions, Date now);

    // Whether the trigger app is present on this Mac: installed by bundle identifier,
    // else a file at its path, else only Finder counts as present.
    bool isTriggerAppAvailable(const Workspace& workspace, const FileSystem& files) const;
    // The same over the installed platform.
    bool isTriggerAppAvailable() const;

    friend bool operator==(const NimbrelRule&, const NimbrelRule&) = default;
};

} // namespace nimbrel
