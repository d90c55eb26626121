// What noting changes for the cloud costs the main thread, with 10,000 rules in the program's
// file-backed defaults: one rule edit with sync off while 0 and 10,000 changes are noted, and a
// Dock tap whose lookup clears 100 and 1,000 run-out rule pauses, with sync off (each change
// noted as made while off) and with sync on (each pushed, and noted as pending until the cloud,
// which answers a second later, has it), each measured until the work it posts has run. Each tap
// runs on a program made afresh. Prints the ratios the aims are about: 10,000 noted within 1.2x
// of none, 1,000 pauses within 12x of 100.
#include "model/RulesStore.h"
#include "platform/CodeSignature.h"
#include "platform/Keychain.h"
#include "platform/Log.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/ProgramIdentity.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/local/SqliteCloudService.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"

#include "ProcessorTime.h"
#include "RatioReporter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace nimbrel;

constexpr int kRules = 10000;
const NimbrelRuleAppTarget kMail{QStringLiteral("Mail"), QStringLiteral("com.apple.mail"), std::nullopt};

// A program whose rules store holds 10,000 rules, the first `paused` of them for a tap on Mail
// with pauses that have run out, and `noted` changes made while sync was off, as today's
// program kept them.
struct Program {
    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    InMemoryKeychain keychain;
    FixedCodeSignature signature{
        {{"com.apple.developer.icloud-services", QStringList{"CloudKit"}},
         {"com.apple.developer.icloud-container-identifiers", QStringList{kNimbrelCloudKitContainerIdentifier}}}};
    FixedMainBundle bundle{kNimbrelBundleIdentifier};
    std::unique_ptr<SqliteCloudService> cloud;
    Platform platform;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status;
    std::shared_ptr<NimbrelCloudSyncManager> manager;
    std::unique_ptr<ScopedPlatform> installed;
    std::shared_ptr<NimbrelRulesStore> store;

    Program(bool syncOn, int paused, int noted) {
        setLogToStdout(false);
        cloud = std::make_unique<SqliteCloudService>(scheduler, dir.filePath(QStringLiteral("cloud.sqlite")));
        cloud->conditions().latency = 1;
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.keychain = &keychain;
        platform.codeSignature = &signature;
        platform.mainBundle = &bundle;
        platform.cloud = cloud.get();
        platform.locations = Locations::underRoot(dir.path());
        installed = std::make_unique<ScopedPlatform>(platform);
        status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
        status->status.set(NimbrelCloudKitAccountStatus::available());
        manager = std::make_shared<NimbrelCloudSyncManager>(platform, status);
        manager->setSyncEnabled(syncOn);

        std::vector<NimbrelRule> rules;
        QVariantMap madeWhileOff;
        const Date now = scheduler.now();
        for (int i = 0; i < kRules; ++i) {
            const bool onMail = i < paused;
            NimbrelRuleTrigger trigger{1, onMail ? kMail
                                                 : NimbrelRuleAppTarget{QStringLiteral("App %1").arg(i),
                                                                        QStringLiteral("com.example.app%1").arg(i),
                                                                        std::nullopt}};
            rules.push_back(NimbrelRule::make(QStringLiteral("Rule %1").arg(i), true, false, trigger,
                                              {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})},
                                              now.addingSeconds(-100)));
            if (onMail) rules.back().pausedUntil = now.addingSeconds(-1);
            if (i < noted) madeWhileOff.insert(rules.back().id.toString(), QVariant::fromValue(now));
        }
        if (noted > 0) defaults.set(NimbrelRulesStore::unsentChangesKey, madeWhileOff);
        StoreSyncLinks links{[syncOn] { return syncOn; }, [this]() -> NimbrelCloudSyncManager& { return *manager; }};
        store = NimbrelRulesStore::create(platform, links);
        store->setRules(rules);
        store->save();
        scheduler.advance(5); // the first pulls are over
    }
    ~Program() {
        store.reset();
        manager->releasePendingWork();
        resetSharedInstances();
    }
};

// Runs `work` and then the work it posts, in the main thread's processor time.
template <typename Work> double timed(Program& program, Work work) {
    const double start = nimbrel::bench::threadCpuSeconds();
    work();
    program.scheduler.runUntilIdle();
    return nimbrel::bench::threadCpuSeconds() - start;
}

void BM_RuleEditWithSyncOff(benchmark::State& state) {
    Program program(false, 0, int(state.range(0)));
    NimbrelRule edited = program.store->rules().get()[kRules / 2];
    int edits = 0;
    auto edit = [&] {
        edited.name = QStringLiteral("Edited %1").arg(++edits);
        program.store->updateRule(edited);
    };
    timed(program, edit); // today's stored note is read (and taken over) once
    for (auto _ : state)
        state.SetIterationTime(timed(program, edit));
    state.counters["noted"] = double(state.range(0));
}

void BM_TapClearingRunOutPauses(benchmark::State& state) {
    const bool syncOn = state.range(1) != 0;
    const int paused = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(syncOn, paused, 0);
        state.ResumeTiming();
        std::vector<NimbrelRule> matched;
        state.SetIterationTime(timed(*program, [&] { matched = program->store->rulesForDockTap(kMail, 1); }));
        if (matched.size() != size_t(paused)) state.SkipWithError("the pauses were not cleared");
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_RuleEditWithSyncOff)->Arg(0)->Arg(10000)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TapClearingRunOutPauses)
    ->Args({100, 0})
    ->Args({1000, 0})
    ->Args({100, 1})
    ->Args({1000, 1})
    ->ArgNames({"pauses", "sync"})
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const std::string& a, const std::string& b) {
        const double over = reporter.seconds[b];
        return over > 0 ? reporter.seconds[a] / over : 0.0;
    };
    std::printf("one rule edit, sync off: 10,000 noted %.2fx of none (aim: within 1.2x)\n",
                ratio("BM_RuleEditWithSyncOff/10000", "BM_RuleEditWithSyncOff/0"));
    for (const std::string sync : {"0", "1"})
        std::printf("a tap clearing run-out pauses, sync %s: 1,000 pauses %.1fx of 100 (aim: within 12x)\n",
                    sync == "1" ? "on" : "off",
                    ratio("BM_TapClearingRunOutPauses/pauses:1000/sync:" + sync,
                          "BM_TapClearingRunOutPauses/pauses:100/sync:" + sync));
    benchmark::Shutdown();
    return 0;
}
