#pragma once

#include "model/RuleCoding.h"

#include <QString>

// Rules and actions with every field filled, for the model's tests.
namespace nimbrel::samples {

inline NimbrelRuleAppTarget safari() {
    return {QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), QStringLiteral("/Applications/Safari.app")};
}

inline NimbrelRuleAppTarget terminal() {
    return {QStringLiteral("Terminal"), QStringLiteral("com.apple.Terminal"), std::nullopt};
}

inline NimbrelRuleAction openFolder() {
    return NimbrelRuleAction::openFolder(OpenFolderRuleAction{
        .folder = {QStringLiteral("Downloads"), QStringLiteral("~/Downloads")},
        .placement = NimbrelWindowPlacement::leftHalf,
        .displayTarget = NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::external, 1},
    });
}

inline NimbrelRuleAction openApp() {
    return NimbrelRuleAction::openApp(OpenAppRuleAction{
        .app = {QStringLiteral("Notes"), std::nullopt, QStringLiteral("/System/Applications/Notes.app")},
        .placement = NimbrelWindowPlacement::bottomRight,
        .displayTarget = std::nullopt,
    });
}

inline NimbrelRuleAction openWebsite() {
    return NimbrelRuleAction::openBrowserWebsite(OpenBrowserWebsiteRuleAction{
        .browser = safari(),
        .urlString = QStringLiteral("  example.com/ünïcode?q=\"quoted\"  "),
        .openingMode = NimbrelBrowserOpeningMode::newWindow,
        .placement = NimbrelWindowPlacement::fullScreen,
        .displayTarget = NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::main, std::nullopt},
    });
}

inline NimbrelRuleAction arrangeWindows() {
    return NimbrelRuleAction::arrangeWindows(ArrangeWindowsRuleAction{
        .layout = NimbrelWindowLayout::dividedInThree,
        .layoutSlots =
            {
                NimbrelLayoutSlot{.placement = NimbrelWindowPlacement::topLeft,
                                  .target = NimbrelLayoutTarget::app(safari())},
                NimbrelLayoutSlot{.placement = NimbrelWindowPlacement::topRight,
                                  .target = NimbrelLayoutTarget::folder(
                                      {QStringLiteral("Projects"), QStringLiteral("/Users/me/Projects")})},
            },
    });
}

inline NimbrelRuleAction systemBehavior() {
    return NimbrelRuleAction::runSystemBehavior(
        SystemBehaviorRuleAction{.behavior = NimbrelSystemBehavior::restoreNextWindow});
}

inline NimbrelRuleAction terminalScript() {
    return NimbrelRuleAction::runTerminalScript(TerminalScriptRuleAction{
        .terminalApp = terminal(),
        .commands = {TerminalScriptCommand{.command = QStringLiteral("cd ~/src && make")},
                     TerminalScriptCommand{.command = QStringLiteral("echo 'done' | tee /tmp/x")}},
        .stopOnFirstFailure = true,
    });
}

inline std::vector<NimbrelRuleAction> everyAction() {
    return {openFolder(), openApp(), openWebsite(), arrangeWindows(), systemBehavior(), terminalScript()};
}

// Whole seconds, so that both date forms carry the dates exactly.
inline NimbrelRule rule(std::vector<NimbrelRuleAction> actions = everyAction()) {
    NimbrelRule r = NimbrelRule::make(QStringLiteral("Work browser"), true, false, NimbrelRuleTrigger{2, safari()},
                                      std::move(actions), Date{786'000'000});
    r.updatedAt = Date{786'003'600};
    r.pausedUntil = Date{786'100'000};
    r.availability = NimbrelRuleAvailability{
        .mode = NimbrelRuleAvailabilityMode::scheduled,
        .activeDays = {NimbrelWeekday::monday, NimbrelWeekday::friday},
        .startTime = NimbrelClockTime{22, 0},
        .endTime = NimbrelClockTime{6, 30},
    };
    return r;
}

} // namespace nimbrel::samples
