#pragma once

#include "support/QtPrinters.h"
#include "ui/UiTestPlatform.h"
#include "ui/rules/AppPickerViewModel.h"
#include "ui/rules/RuleActionsViewModel.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RuleScheduleViewModel.h"
#include "ui/rules/TerminalCommandsViewModel.h"

#include <gtest/gtest.h>

namespace nimbrel::testing {

// The rule editor's view model on the simulated Mac, with the catalogue scanned and every save
// and cancel caught.
class RuleEditorFixture : public ::testing::Test {
  protected:
    RuleEditorFixture() {
        catalogue = NimbrelInstalledApps::create(env.platform);
        env.scheduler.runUntilIdle();
    }
    RuleEditorViewModel& open(std::optional<NimbrelRule> rule = std::nullopt, QString defaultName = "Rule 1") {
        RuleEditorViewModel::Services services;
        services.externalScreens = [this] { return screens; };
        services.onCancel = [this] { ++cancels; };
        services.onSave = [this](const NimbrelRule& rule) { saved.push_back(rule); };
        editor = std::make_unique<RuleEditorViewModel>(env.platform, std::move(rule), std::move(defaultName), catalogue,
                                                       std::move(services));
        return *editor;
    }
    AppPickerViewModel& picker() { return *qobject_cast<AppPickerViewModel*>(editor->picker()); }
    RuleActionsViewModel& actions() { return *qobject_cast<RuleActionsViewModel*>(editor->actions()); }
    TerminalCommandsViewModel& terminal() { return *qobject_cast<TerminalCommandsViewModel*>(editor->terminal()); }
    RuleScheduleViewModel& schedule() { return *qobject_cast<RuleScheduleViewModel*>(editor->schedule()); }
    // Saves and returns what was handed on (fails the test when nothing was).
    NimbrelRule saveNow() {
        const size_t before = saved.size();
        editor->save();
        EXPECT_EQ(saved.size(), before + 1);
        return saved.empty() ? NimbrelRule{} : saved.back();
    }
    static NimbrelRuleAppTarget app(const QString& name, const QString& id, std::optional<QString> path = {}) {
        return {name, id, std::move(path)};
    }

    UiTestPlatform env;
    std::shared_ptr<NimbrelInstalledApps> catalogue;
    std::vector<NimbrelDisplayTarget> screens;
    std::unique_ptr<RuleEditorViewModel> editor;
    std::vector<NimbrelRule> saved;
    int cancels = 0;
};

} // namespace nimbrel::testing
