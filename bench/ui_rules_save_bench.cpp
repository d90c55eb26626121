// A rule saved with the rules screen open, as a person saves one from the rule editor (the editor
// is part of the screen, so the screen's view model is alive), and the same save with no screen:
// 1,000 and 10,000 rules in the program's file-backed defaults, each on an app of its own (not
// installed, so each card's question to the Mac reads the disk) with three actions. The saved
// rule is the one whose card comes first; each save renames it so that its card goes from the
// first place to the last and back. Main-thread processor time per save (the store's save and
// publishing, the turn it queues, and the screen's view model observing the store): median,
// 90th percentile and the first save after the screen opened. The defaults' writer works beside
// the main thread and is waited for between saves, outside the time.
//
// Beside it, the rules store's pull at 10,000 rules (held, stored and in the cloud file) after
// another Mac changed 1 or 100 of them (0: the minute's pull of unchanged data), with the screen
// open and without: the main thread's processor time of the whole pull (the fetch's answers, the
// merge, the save, the screen following; the database is read on a worker, as in the program),
// and of the first Dock tap after it.
//
// And the same pull into a list that this Mac keeps as it made its rules, oldest first (a new
// rule goes at the end), and has pulled before without a change: the first pull that changes
// anything sorts it newest first, so nearly every rule moves. Each round starts a store (and a
// screen) on that list, outside the time.
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/CodeSignature.h"
#include "platform/Log.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/ProgramIdentity.h"
#include "platform/SharedInstance.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/local/SqliteCloudStore.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"
#include "ui/rules/RulesPreview.h"
#include "ui/rules/RulesViewModel.h"

#include "MedianReporter.h"
#include "OtherMacRecords.h"
#include "ProcessorTime.h"
#include "ThreadedBackground.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace nimbrel {
namespace {

using bench::percentile;
using bench::threadCpuSeconds;

const QString kContainer = kNimbrelCloudKitContainerIdentifier;
constexpr double kFirstCreated = 762509700.0;

// Rule i, on app i; made newest first, as a list that has been pulled before is.
NimbrelRule ruleNumber(int i) {
    const QString app = QStringLiteral("App %1").arg(i);
    const NimbrelRuleAppTarget target{app, QStringLiteral("com.example.app%1").arg(i),
                                      QStringLiteral("/Applications/%1.app").arg(app)};
    std::vector<NimbrelRuleAction> actions = {
        NimbrelRuleAction::openApp(
            {.app = target, .placement = NimbrelWindowPlacement::leftHalf, .displayTarget = std::nullopt}),
        NimbrelRuleAction::openBrowserWebsite(
            {.browser = {QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), std::nullopt},
             .urlString = QStringLiteral("https://example.com/docs/%1").arg(i),
             .openingMode = NimbrelBrowserOpeningMode::newTab,
             .placement = NimbrelWindowPlacement::rightHalf,
             .displayTarget = std::nullopt}),
        NimbrelRuleAction::runTerminalScript(
            {.terminalApp = {QStringLiteral("Terminal"), QStringLiteral("com.apple.Terminal"), std::nullopt},
             .commands = {{.command = QStringLiteral("cd ~/src/project-%1").arg(i)},
                          {.command = QStringLiteral("make")}},
             .stopOnFirstFailure = true})};
    return NimbrelRule::make(QStringLiteral("Rule %1").arg(i, 5, 10, QLatin1Char('0')), true, false, {1, target},
                             std::move(actions), Date{kFirstCreated - i});
}

// The program's platform over a temporary home: file-backed defaults, the simulated Mac, and
// background work on threads of its own, as in the program.
struct Home {
    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    bench::ThreadedBackground background{scheduler};
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.filePath(QStringLiteral("mac"))};
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    std::vector<NimbrelRule> rules;
    std::unique_ptr<RulesViewModel> screen;

    explicit Home(int ruleCount) {
        setLogToStdout(false);
        setCurrentLocaleName("en_US");
        platform.scheduler = &background.scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        simulated.fill(platform);
        scoped = std::make_unique<ScopedPlatform>(platform);
        for (int i = 0; i < ruleCount; ++i)
            rules.push_back(ruleNumber(i));
    }
    ~Home() {
        background.wait();
        screen.reset();
        resetSharedInstances();
        setCurrentLocaleName({});
    }
    void openScreen(const std::shared_ptr<NimbrelRulesStore>& store) {
        screen = std::make_unique<RulesViewModel>(platform, store, previewEditorServices(platform));
        screen->appeared();
        settle();
    }
    // Runs what is due, and what the workers hand back, until nothing more comes.
    void settle() {
        for (int turns = 0; turns < 100; ++turns) {
            scheduler.runUntilIdle();
            background.wait();
        }
    }
};

void BM_RuleSave(benchmark::State& state) {
    Home home(int(state.range(0)));
    OfflineRulesStore offline = OfflineRulesStore::make(home.platform, home.rules);
    NimbrelRulesStore& store = *offline.store;
    if (state.range(1)) home.openScreen(offline.store);
    NimbrelRule edited = home.rules.front(); // "Rule 00000": its card comes first
    std::vector<double> ms;
    for (auto _ : state) {
        edited.name = ms.size() % 2 ? QStringLiteral("Rule 00000") : QStringLiteral("Rule zz last");
        const double start = threadCpuSeconds();
        if (home.screen)
            home.screen->saveRule(edited);
        else
            store.updateRule(edited);
        home.scheduler.advance(0);
        ms.push_back((threadCpuSeconds() - start) * 1e3);
        state.PauseTiming();
        home.settle();
        home.defaults.synchronize();
        home.scheduler.advance(1.0);
        state.ResumeTiming();
    }
    state.counters["first_ms"] = ms.front();
    state.counters["median_ms"] = percentile(ms, 0.5);
    state.counters["p90_ms"] = percentile(ms, 0.9);
    if (store.rules().get().front().name != edited.name) state.SkipWithError("the save was lost");
    if (home.screen && home.screen->cards().back().name != QStringLiteral("Rule zz last"))
        state.SkipWithError("the saved card is not last");
}
BENCHMARK(BM_RuleSave)
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->ArgNames({"rules", "screen"})
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);

// The cloud of a Mac that pushed every rule, and this Mac holding and storing the same rules.
struct Synced : Home {
    FixedCodeSignature signature{{{"com.apple.developer.icloud-services", QStringList{"CloudKit"}},
                                  {"com.apple.developer.icloud-container-identifiers", QStringList{kContainer}}}};
    FixedMainBundle bundle{kNimbrelBundleIdentifier};
    QString cloudPath = dir.filePath(QStringLiteral("CloudDatabase.sqlite"));
    SqliteCloudStore otherMac{cloudPath};
    std::unique_ptr<SqliteCloudService> cloud;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status;
    std::shared_ptr<NimbrelCloudSyncManager> manager;
    std::shared_ptr<NimbrelRulesStore> store;

    explicit Synced(int ruleCount) : Home(ruleCount) {
        QStringList ids;
        for (const NimbrelRule& rule : rules) {
            push(rule);
            ids << rule.id.toString();
        }
        CloudRecord registry(cloudnames::registryType, {cloudnames::syncRegistry});
        registry.set(QStringLiteral("payloadIDs_rule"), ids);
        otherMac.save(kContainer, registry);

        cloud = std::make_unique<SqliteCloudService>(background.scheduler, cloudPath);
        platform.codeSignature = &signature;
        platform.mainBundle = &bundle;
        platform.cloud = cloud.get();
        status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
        status->status.set(NimbrelCloudKitAccountStatus::available());
        manager = std::make_shared<NimbrelCloudSyncManager>(platform, status);
        startStore(rules);
    }
    // A store that holds `held`, stored, after its first pull: nothing changes.
    void startStore(const std::vector<NimbrelRule>& held) {
        screen.reset();
        store.reset();
        settle();
        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules(held, json::DateForm::SecondsSince2001));
        StoreSyncLinks links{[] { return true; }, [this]() -> NimbrelCloudSyncManager& { return *manager; }};
        store = NimbrelRulesStore::create(platform, links);
        settle();
        defaults.synchronize();
    }
    // The store's pull, as the minute's timer starts it; false when it did not end.
    bool pull() {
        bool done = false;
        store->pullFromCloud([&] { done = true; });
        // The database is read on a worker; the main thread waits for nothing else.
        for (int turns = 0; !done && turns < 1000; ++turns) {
            scheduler.runUntilIdle();
            if (!done) background.wait();
        }
        return done;
    }
    ~Synced() {
        settle();
        screen.reset();
        store.reset();
    }
    // The rule's payload record as the other Mac writes it.
    void push(const NimbrelRule& rule) { seed::saveAsOtherMac(otherMac, rule); }
};

void BM_RulePull(benchmark::State& state) {
    const int changed = int(state.range(0));
    Synced home(10000);
    if (state.range(1)) home.openScreen(home.store);
    const NimbrelRuleAppTarget tapped{QStringLiteral("App 5000"), QStringLiteral("com.example.app5000"), {}};
    std::vector<double> pullMs, tapMs;
    int round = 0;
    bool allDone = true;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        // Spread over the list, a different rule each round.
        for (int k = 0; k < changed; ++k) {
            NimbrelRule rule = home.store->rules().get()[size_t((k * 97 + round) % 10000)];
            rule.name += QStringLiteral(" changed");
            rule.updatedAt = home.scheduler.now().addingSeconds(round);
            home.push(rule);
        }
        home.scheduler.advance(1.0);
        state.ResumeTiming();
        double start = threadCpuSeconds();
        const bool done = home.pull();
        pullMs.push_back((threadCpuSeconds() - start) * 1e3);
        start = threadCpuSeconds();
        benchmark::DoNotOptimize(home.store->rulesForDockTap(tapped, 1));
        tapMs.push_back((threadCpuSeconds() - start) * 1e3);
        allDone = allDone && done;
        state.PauseTiming();
        home.defaults.synchronize();
        state.ResumeTiming();
    }
    state.counters["pull_median_ms"] = percentile(pullMs, 0.5);
    state.counters["pull_p90_ms"] = percentile(pullMs, 0.9);
    state.counters["tap_median_ms"] = percentile(tapMs, 0.5);
    if (!allDone) state.SkipWithError("a pull did not end");
    int renamed = 0;
    for (const NimbrelRule& rule : home.store->rules().get())
        renamed += rule.name.endsWith(QLatin1String(" changed"));
    if (renamed < changed) state.SkipWithError("the changes did not arrive");
}
BENCHMARK(BM_RulePull)
    ->ArgsProduct({{0, 1, 100}, {0, 1}})
    ->ArgNames({"changed", "screen"})
    ->Iterations(9)
    ->Unit(benchmark::kMillisecond);

void BM_RulePullIntoOwnOrder(benchmark::State& state) {
    const int changed = int(state.range(0));
    Synced home(10000);
    // As the cloud has them, in the order this Mac made them.
    std::vector<NimbrelRule> held(home.rules.rbegin(), home.rules.rend());
    std::vector<double> pullMs;
    int round = 0;
    bool allDone = true, sorted = true;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        home.startStore(held);
        if (state.range(1)) home.openScreen(home.store);
        for (int k = 0; k < changed; ++k) {
            NimbrelRule& rule = held[size_t((k * 97 + round) % 10000)];
            rule.name += QStringLiteral(" changed");
            rule.updatedAt = home.scheduler.now().addingSeconds(round);
            home.push(rule);
        }
        home.scheduler.advance(1.0);
        state.ResumeTiming();
        const double start = threadCpuSeconds();
        allDone = home.pull() && allDone;
        pullMs.push_back((threadCpuSeconds() - start) * 1e3);
        const std::vector<NimbrelRule>& pulled = home.store->rules().get();
        sorted = sorted && pulled.front().id == held.back().id && pulled.back().id == held.front().id;
    }
    state.counters["pull_median_ms"] = percentile(pullMs, 0.5);
    state.counters["pull_p90_ms"] = percentile(pullMs, 0.9);
    if (!allDone) state.SkipWithError("a pull did not end");
    if (!sorted) state.SkipWithError("the list was not sorted newest first");
}
BENCHMARK(BM_RulePullIntoOwnOrder)
    ->ArgsProduct({{1, 100}, {0, 1}})
    ->ArgNames({"changed", "screen"})
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nimbrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const int rules : {1000, 10000}) {
        for (const int screen : {1, 0}) {
            const std::string name = "BM_RuleSave/rules:" + std::to_string(rules) + "/screen:" + std::to_string(screen);
            if (!reporter.byName.count(name)) continue;
            const auto& c = reporter.byName.at(name).counters;
            std::printf("a rule saved, %d rules, %s: %.2f ms of main-thread processor time (p90 %.2f, first %.2f; "
                        "aim < %s ms)\n",
                        rules, screen ? "rules screen open" : "no screen", double(c.at("median_ms")),
                        double(c.at("p90_ms")), double(c.at("first_ms")), rules >= 10000 ? "30" : "5");
        }
    }
    const auto pulls = [&reporter](const char* benchmark, std::initializer_list<int> changes, const char* held) {
        for (const int changed : changes) {
            for (const int screen : {1, 0}) {
                const std::string name = std::string(benchmark) + "/changed:" + std::to_string(changed) +
                                         "/screen:" + std::to_string(screen);
                if (!reporter.byName.count(name)) continue;
                const auto& c = reporter.byName.at(name).counters;
                std::printf("a pull of 10,000 rules%s, %d changed, %s: %.2f ms of main-thread processor time (p90 "
                            "%.2f%s)",
                            held, changed, screen ? "rules screen open" : "no screen", double(c.at("pull_median_ms")),
                            double(c.at("pull_p90_ms")), changed == 1 ? "; aim < 30 ms" : "");
                if (c.count("tap_median_ms"))
                    std::printf("; the first tap after it %.2f ms", double(c.at("tap_median_ms")));
                std::printf("\n");
            }
        }
    };
    pulls("BM_RulePull", {0, 1, 100}, "");
    pulls("BM_RulePullIntoOwnOrder", {1, 100}, " held oldest first");
    benchmark::Shutdown();
    return 0;
}
