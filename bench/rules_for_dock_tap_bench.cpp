// Cost of one Dock-tap rule lookup with 1,000 stored rules: the lookup reads the stored
// rules on every call, so an unchanged store must not be decoded again. The rules live in the
// program's file-backed defaults, and one has been edited and saved, as in a program in use.
// Also the first lookup after a save by the store, and after another writer changed the stored rules.

#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/Keychain.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "sync/CloudSyncManager.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace nimbrel {
namespace {

constexpr int kRuleCount = 1000;

struct Bench {
    Bench() {
        setLogToStdout(false);
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.keychain = &keychain;
        platform.locations = Locations::underRoot(dir.path());
        Platform::install(&platform);
        std::vector<NimbrelRule> rules;
        for (int i = 0; i < kRuleCount; ++i) {
            NimbrelRuleTrigger trigger{1 + i % 3,
                                       NimbrelRuleAppTarget{QStringLiteral("App %1").arg(i),
                                                            QStringLiteral("com.example.app%1").arg(i),
                                                            QStringLiteral("/Applications/App %1.app").arg(i)}};
            rules.push_back(NimbrelRule::make(QStringLiteral("Rule %1").arg(i), true, false, trigger,
                                              {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})},
                                              scheduler.now()));
        }
        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules(rules, json::DateForm::SecondsSince2001));
        StoreSyncLinks links;
        links.isSyncEnabled = [] { return false; };
        links.syncManager = [this]() -> NimbrelCloudSyncManager& { return sync; };
        store = NimbrelRulesStore::create(platform, links);
        store->updateRule(rules.front());
        scheduler.runUntilIdle();
    }
    ~Bench() {
        store.reset();
        resetSharedInstances();
        Platform::install(nullptr);
    }

    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{800000000}};
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    InMemoryKeychain keychain;
    Platform platform;
    NimbrelCloudSyncManager sync{platform};
    std::shared_ptr<NimbrelRulesStore> store;
};

void runLookups(benchmark::State& state, const NimbrelRuleAppTarget& app, size_t expected) {
    Bench bench;
    size_t calls = 0;
    for (auto _ : state) {
        auto result = bench.store->rulesForDockTap(app, 2);
        if (result.size() != expected) state.SkipWithError("wrong number of matches");
        benchmark::DoNotOptimize(result);
        // Matches record an activity each; let them reach the log now and then.
        if (++calls % 1024 == 0) {
            state.PauseTiming();
            bench.scheduler.runUntilIdle();
            state.ResumeTiming();
        }
    }
    state.counters["rules"] = kRuleCount;
}

void BM_RulesForDockTap_NoneMatching(benchmark::State& state) {
    runLookups(state,
               NimbrelRuleAppTarget{QStringLiteral("Unknown"), QStringLiteral("com.example.none"),
                                    QStringLiteral("/Applications/Unknown.app")},
               0);
}

void BM_RulesForDockTap_OneMatching(benchmark::State& state) {
    // Rule 500 has a click count of 1 + 500 % 3 = 3; rule 499 has 2.
    runLookups(state,
               NimbrelRuleAppTarget{QStringLiteral("App 499"), QStringLiteral("com.example.app499"),
                                    QStringLiteral("/Applications/App 499.app")},
               1);
}

void BM_RulesForDockTap_NameOnlyMatching(benchmark::State& state) {
    // No identifier or path: every rule with the click count is compared by folded name.
    runLookups(state, NimbrelRuleAppTarget{QStringLiteral("app 499"), std::nullopt, std::nullopt}, 1);
}

void BM_RulesForDockTap_AfterEachChange(benchmark::State& state) {
    Bench bench;
    const QByteArray a = *bench.defaults.dataValue(NimbrelRulesStore::defaultsKey);
    QByteArray b = a;
    b.replace("Rule 0\"", "Rule X\"");
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        bench.defaults.setData(NimbrelRulesStore::defaultsKey, flip ? a : b); // a new stored value every call
        flip = !flip;
        state.ResumeTiming();
        benchmark::DoNotOptimize(bench.store->rulesForDockTap(
            NimbrelRuleAppTarget{QStringLiteral("Unknown"), QStringLiteral("com.example.none"), std::nullopt}, 2));
    }
}

// The first lookup after each save of an edited rule: the lookup follows the edit.
void BM_RulesForDockTap_AfterEachSave(benchmark::State& state) {
    Bench bench;
    NimbrelRule edited = bench.store->rules().get()[kRuleCount / 2];
    int saves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        edited.name = QStringLiteral("Edited %1").arg(++saves);
        bench.store->updateRule(edited);
        bench.scheduler.runUntilIdle();
        state.ResumeTiming();
        benchmark::DoNotOptimize(bench.store->rulesForDockTap(
            NimbrelRuleAppTarget{QStringLiteral("Unknown"), QStringLiteral("com.example.none"), std::nullopt}, 2));
    }
}

BENCHMARK(BM_RulesForDockTap_NoneMatching)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RulesForDockTap_OneMatching)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RulesForDockTap_NameOnlyMatching)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RulesForDockTap_AfterEachChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RulesForDockTap_AfterEachSave)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace nimbrel

BENCHMARK_MAIN();
