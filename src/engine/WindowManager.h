#pragma once

#include "engine/RuleActionExecutor.h"

namespace nimbrel {

struct Platform;

// Carries out what a fired rule asks for. The actions themselves arrive with the
// window-manager work; for now it reports a rule group and takes no browser click.
class WindowManager final : public RuleActionExecutor {
public:
    explicit WindowManager(Platform& platform);
    static WindowManager& shared();

    void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) override;
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app) override;

private:
    Platform& platform_;
};

} // namespace nimbrel
