// The rules screen's redraw with 1,000 stored rules: ordering the list and building every
// card with its sentence of pills (as the view model hands them to the view), against one
// decode of the same stored rules. Prints both and their ratio; the aim is a redraw within
// one 60 Hz frame (16 ms).
#include "model/RuleCoding.h"
#include "platform/Calendar.h"
#include "platform/Platform.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/rules/RuleCardListModel.h"

#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace nimbrel;

// Twenty trigger apps: most installed on the simulated Mac, a few missing, some with a path.
NimbrelRuleAppTarget trigger(int i) {
    static const char* const apps[][2] = {{"Safari", "com.apple.Safari"},     {"Finder", "com.apple.finder"},
                                          {"Terminal", "com.apple.Terminal"}, {"Notes", "com.apple.Notes"},
                                          {"Mail", "com.apple.mail"},         {"Google Chrome", "com.google.Chrome"},
                                          {"Figma", "com.figma.Desktop"},     {"Slack", "com.tinyspeck.slackmacgap"},
                                          {"Calendar", "com.apple.iCal"},     {"Music", "com.apple.Music"}};
    const int k = i % 20;
    const auto& app = apps[k % 10];
    return {QString::fromLatin1(app[0]), QString::fromLatin1(app[1]),
            k >= 10 ? std::optional(QStringLiteral("/Applications/%1.app").arg(QString::fromLatin1(app[0])))
                    : std::nullopt};
}

NimbrelRuleAction action(int i, int k) {
    const auto placement = static_cast<NimbrelWindowPlacement>((i + k) % 9);
    switch ((i + k) % 6) {
    case 0:
        return NimbrelRuleAction::openFolder(
            {.folder = {QStringLiteral("Project %1").arg(k), QStringLiteral("~/Projects/p%1").arg(i)},
             .placement = placement,
             .displayTarget = std::nullopt});
    case 1:
        return NimbrelRuleAction::openApp(
            {.app = trigger(i + k), .placement = placement, .displayTarget = std::nullopt});
    case 2:
        return NimbrelRuleAction::openBrowserWebsite(
            {.browser = trigger(0),
             .urlString = QStringLiteral("https://example.com/docs/section-%1?query=%2").arg(i).arg(k),
             .openingMode = static_cast<NimbrelBrowserOpeningMode>(k % 2),
             .placement = placement,
             .displayTarget = std::nullopt});
    case 3:
        return NimbrelRuleAction::arrangeWindows(
            {.layout = static_cast<NimbrelWindowLayout>(k % 4), .layoutSlots = {}});
    case 4:
        return NimbrelRuleAction::runSystemBehavior({.behavior = static_cast<NimbrelSystemBehavior>(k % 5)});
    default:
        return NimbrelRuleAction::runTerminalScript(
            {.terminalApp = trigger(2),
             .commands = {{.command = QStringLiteral("cd ~/src/project-%1").arg(i)},
                          {.command = QStringLiteral("make test")},
                          {.command = QStringLiteral("  ")}},
             .stopOnFirstFailure = true});
    }
}

std::vector<NimbrelRule> rules(Date now) {
    std::vector<NimbrelRule> out;
    for (int i = 0; i < 1000; ++i) {
        std::vector<NimbrelRuleAction> actions;
        for (int k = 0; k < 1 + i % 3; ++k)
            actions.push_back(action(i, k));
        NimbrelRule rule = NimbrelRule::make(QStringLiteral("Rule %1").arg((i * 7919) % 1000), i % 5 != 0, i % 11 == 0,
                                             {1 + i % 3, trigger(i)}, std::move(actions), now);
        if (i % 4 == 1) rule.pausedUntil = now.addingSeconds(600 + i);
        if (i % 3 == 0) {
            rule.availability.mode = NimbrelRuleAvailabilityMode::scheduled;
            rule.availability.startTime = NimbrelClockTime{9, i % 60};
            rule.availability.endTime = NimbrelClockTime{17, 0};
        }
        out.push_back(std::move(rule));
    }
    return out;
}

struct Fixture {
    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.filePath(QStringLiteral("mac"))};
    Platform platform;
    std::vector<NimbrelRule> stored = rules(scheduler.now());
    QByteArray data = encodeRules(stored, json::DateForm::SecondsSince2001);
    Fixture() {
        setCurrentLocaleName("en_US");
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        simulated.fill(platform);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_RulesListRedraw(benchmark::State& state) {
    Fixture& f = fixture();
    RuleCardListModel model;
    for (auto _ : state) {
        RuleCardBuilder builder(*f.platform.workspace, *f.platform.files, f.scheduler.now());
        model.setCards(builder.cards(f.stored));
        benchmark::DoNotOptimize(model.count());
    }
}
BENCHMARK(BM_RulesListRedraw)->Unit(benchmark::kMillisecond);

void BM_DecodeStoredRules(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        auto decoded = decodeRules(f.data, json::DateForm::SecondsSince2001);
        benchmark::DoNotOptimize(decoded.value);
    }
}
BENCHMARK(BM_DecodeStoredRules)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double redraw = reporter.realTime["BM_RulesListRedraw/"]; // in milliseconds
    const double decode = reporter.realTime["BM_DecodeStoredRules/"];
    if (decode > 0)
        std::printf("rules list redraw: %.2f ms for 1,000 rules; one decode: %.2f ms; ratio %.2fx (aim: redraw "
                    "under 16 ms)\n",
                    redraw, decode, redraw / decode);
    benchmark::Shutdown();
    return 0;
}
