// The rule editor: one keystroke in the app picker's search over 500 installed apps (the
// filter, the sort by name and the rows the view gets; aim: under 4 ms), and opening the editor
// on a rule with every kind of action (loading its state and what the view first reads).
#include "RatioReporter.h"
#include "platform/Calendar.h"
#include "platform/Platform.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/rules/AppPickerViewModel.h"
#include "ui/rules/RuleActionsViewModel.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RuleScheduleViewModel.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace nimbrel;

struct Fixture {
    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.filePath(QStringLiteral("mac"))};
    Platform platform;
    std::shared_ptr<NimbrelInstalledApps> catalogue;
    Fixture() {
        setCurrentLocaleName("en_US");
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        simulated.fill(platform);
        static const char* const words[] = {"Studio", "Notes", "Pixel", "Sound", "Cloud", "Code", "Photo", "Mail"};
        for (int i = 0; i < 487; ++i) // with the Mac's own 13, 500 apps
            simulated.mac().installApplication(
                QStringLiteral("/Applications/App %1.app").arg(i), QStringLiteral("com.example.app%1").arg(i),
                QStringLiteral("%1 %2 %3")
                    .arg(QString::fromLatin1(words[i % 8]), QString::fromLatin1(words[i / 8 % 8]))
                    .arg(i));
        catalogue = NimbrelInstalledApps::create(platform);
        scheduler.runUntilIdle();
    }
    std::unique_ptr<RuleEditorViewModel> open(std::optional<NimbrelRule> rule) {
        RuleEditorViewModel::Services services;
        services.externalScreens = [] {
            return std::vector<NimbrelDisplayTarget>{{NimbrelDisplayTarget::Kind::main, std::nullopt},
                                                     {NimbrelDisplayTarget::Kind::external, 0}};
        };
        return std::make_unique<RuleEditorViewModel>(platform, std::move(rule), QStringLiteral("Rule 1"), catalogue,
                                                     std::move(services));
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

NimbrelRule everyKindOfAction() {
    const NimbrelRuleAppTarget finder{QStringLiteral("Finder"), QStringLiteral("com.apple.finder"), std::nullopt};
    const NimbrelRuleAppTarget safari{QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), std::nullopt};
    NimbrelRule rule = NimbrelRule::make(QStringLiteral("Everything"), true, false, {2, finder}, {}, Date{0});
    for (int i = 0; i < 3; ++i) {
        rule.actions.push_back(
            NimbrelRuleAction::openFolder({Uuid::random(),
                                           {QStringLiteral("Project %1").arg(i), QStringLiteral("~/p%1").arg(i)},
                                           NimbrelWindowPlacement::leftHalf,
                                           std::nullopt}));
        rule.actions.push_back(NimbrelRuleAction::openBrowserWebsite(
            {Uuid::random(), safari, QStringLiteral("example.com/%1").arg(i), NimbrelBrowserOpeningMode::newWindow,
             NimbrelWindowPlacement::rightHalf, std::nullopt}));
    }
    rule.actions.push_back(NimbrelRuleAction::openApp({Uuid::random(), safari, NimbrelWindowPlacement::fullSize, {}}));
    rule.actions.push_back(NimbrelRuleAction::arrangeWindows({Uuid::random(), NimbrelWindowLayout::sideBySide, {}}));
    rule.actions.push_back(NimbrelRuleAction::runSystemBehavior({Uuid::random(), NimbrelSystemBehavior::hideApp}));
    rule.actions.push_back(NimbrelRuleAction::runTerminalScript(
        {Uuid::random(),
         finder,
         {{Uuid::random(), QStringLiteral("cd ~/src")}, {Uuid::random(), QStringLiteral("make")}},
         true}));
    rule.availability = {NimbrelRuleAvailabilityMode::scheduled, workWeekdays(), NimbrelClockTime{9, 0},
                         NimbrelClockTime{17, 30}};
    return rule;
}

void BM_PickerKeystroke(benchmark::State& state) {
    Fixture& f = fixture();
    auto editor = f.open(std::nullopt);
    auto& picker = *qobject_cast<AppPickerViewModel*>(editor->picker());
    editor->openAppPicker();
    int i = 0;
    for (auto _ : state) {
        // Typing and taking back a letter: each keystroke filters, sorts and updates the keyed
        // rows the view shows.
        picker.setSearchText(i++ % 2 ? QStringLiteral("st") : QStringLiteral("s"));
        benchmark::DoNotOptimize(picker.rowModel());
    }
    state.counters["apps"] = double(f.catalogue->apps().get().size());
}
BENCHMARK(BM_PickerKeystroke)->Unit(benchmark::kMillisecond);

void BM_OpenEditorOnEveryKindOfAction(benchmark::State& state) {
    Fixture& f = fixture();
    const NimbrelRule rule = everyKindOfAction();
    for (auto _ : state) {
        auto editor = f.open(rule);
        auto& actions = *qobject_cast<RuleActionsViewModel*>(editor->actions());
        auto& schedule = *qobject_cast<RuleScheduleViewModel*>(editor->schedule());
        benchmark::DoNotOptimize(editor->chosenAppName());
        benchmark::DoNotOptimize(editor->chosenAppIcon());
        benchmark::DoNotOptimize(editor->capabilityHintText());
        benchmark::DoNotOptimize(actions.folderMenu());
        benchmark::DoNotOptimize(actions.monitorMenu());
        benchmark::DoNotOptimize(schedule.weekdays());
        benchmark::DoNotOptimize(schedule.startText());
    }
}
BENCHMARK(BM_OpenEditorOnEveryKindOfAction)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("app picker keystroke over %zu apps: %.3f ms (aim: under 4 ms); opening the editor on a rule with "
                "every kind of action: %.3f ms\n",
                fixture().catalogue->apps().get().size(), reporter.seconds["BM_PickerKeystroke/"],
                reporter.seconds["BM_OpenEditorOnEveryKindOfAction/"]);
    benchmark::Shutdown();
    return 0;
}
