#pragma once

#include "engine/BlacklistedApps.h"
#include "engine/DefaultTapBehavior.h"
#include "engine/EngineServices.h"
#include "engine/EngineState.h"
#include "engine/FinderRuleGroup.h"
#include "engine/RuleActionExecutor.h"

namespace nimbrel {

class UserDefaults;

// Decides what a counted tap does: nothing for a blacklisted app or the disabled mode,
// a browser rule group, a matching rule, or else the default behaviour.
class TapDecision {
  public:
    static constexpr double kRuleSuppression = 0.9;
    static constexpr double kFinderGroupSuppression = 0.95;

    struct Facilities {
        Accessibility& accessibility;
        Workspace& workspace;
        UserDefaults& defaults;
        Clock& clock;
    };

    TapDecision(EngineState& state, Facilities facilities, const EngineServices& services,
                FinderRuleGroup& finderGroups, DefaultTapBehavior& defaultBehavior)
        : state_(state), f_(facilities), services_(services), finderGroups_(finderGroups),
          defaultBehavior_(defaultBehavior), blacklist_(facilities.defaults) {}

    // The window manager's side of the hand-off; none leaves rules and browser groups untaken.
    void setExecutor(RuleActionExecutor* executor) { executor_ = executor; }

    void handleDockTap(const RunningApplication& app, const DockTapContext& context, int clickCount);
    bool isBlacklisted(const RunningApplication& app) { return blacklist_.contains(app); }
    bool applyMatchingRule(const RunningApplication& app, const QString& displayName, int clickCount,
                           const std::vector<AXElement>& windows, const DockTapContext& context);

  private:
    EngineState& state_;
    Facilities f_;
    const EngineServices& services_;
    FinderRuleGroup& finderGroups_;
    DefaultTapBehavior& defaultBehavior_;
    RuleActionExecutor* executor_ = nullptr;
    BlacklistedApps blacklist_;
};

} // namespace nimbrel
