// The whole Dock tap path on the simulated Mac: the mouse-down event through the press
// filters, tile identification, counting, the decision (blacklist, mode, the stored rules
// read by the rules store) and the decision carried out (a cycle step or a rule hand-off).
// Virtual time jumps over the designed waits (0.12 s counting, 0.4 s long press).
// Runs at 100, 1,000 and 10,000 stored rules and 0, 500 and 5,000 blacklisted apps, and
// prints how much the largest store costs against 1,000 rules and 500 blacklisted apps.
// The rules live in the program's file-backed defaults and one rule has been edited and saved
// before the taps, as in a program that has been used. Besides the library's means, each tap's
// processor time gives the median and the 99th percentile: the stores' pull every minute runs
// within a tap now and then, and moves the mean.
// A rule save and the tap right after it are measured apart (BM_TapPath_SaveThenTap): the
// median of later taps would hide what a save leaves for the next tap to do.

#include "engine/NimbrelEngine.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QTemporaryDir>

#include "MedianReporter.h"
#include "ProcessorTime.h"

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace nimbrel;

namespace {

class NullExecutor final : public RuleActionExecutor {
  public:
    void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) override {
        handedOff += int(actions.size()) + 1;
    }
    bool handleBrowserRuleGroupDockTap(const RunningApplication&) override { return false; }
    int handedOff = 0;
};

struct TapBench {
    QTemporaryDir dir;
    VirtualScheduler scheduler;
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.filePath(QStringLiteral("mac"))};
    sim::SimulatedMac& mac = simulated.mac();
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    NullExecutor executor;
    std::unique_ptr<NimbrelEngine> engine;
    Point tile;

    int taps = 0;
    std::vector<double> cpuMicros; // of each tap

    std::vector<NimbrelRule> stored; // as first written
    double firstSaveMicros = 0;

    TapBench(bool ruleMatches, int ruleCount, int blacklistCount) {
        setLogToStdout(false);
        setLogSink([this](const QString& line) {
            if (line.startsWith(QLatin1String("NimbrelEngine: tap Tool 0 windows=10 "))) ++taps;
        });
        // 20 running apps: the default desktop's and more; the tapped one has 10 windows.
        for (int i = 0; static_cast<int>(mac.apps().size()) < 21; ++i) {
            const QString name = QStringLiteral("Tool %1").arg(i);
            const QString path = QStringLiteral("/Applications/%1.app").arg(name);
            mac.installApplication(path, QStringLiteral("com.example.tool%1").arg(i), name);
            mac.startApplication(*mac.installedApplicationAt(path), false, false);
        }
        mac.restartDock();
        sim::App& tapped = *mac.appWithBundleId(QStringLiteral("com.example.tool0"));
        for (int w = 0; w < 10; ++w) {
            sim::Window window;
            window.title = QStringLiteral("Document %1").arg(w);
            window.frame = Rect(100 + 10 * w, 100 + 10 * w, 800, 600);
            mac.addWindow(tapped, window);
        }
        mac.activate(tapped.pid);

        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        simulated.fill(platform);
        scoped = std::make_unique<ScopedPlatform>(platform);

        QStringList blacklist;
        for (int i = 0; i < blacklistCount; ++i)
            blacklist << QStringLiteral("com.blocked.app%1").arg(i);
        defaults.setStringArray(EngineState::blacklistDefaultsKey, blacklist);

        std::vector<NimbrelRule> rules;
        for (int i = 0; i < ruleCount; ++i) {
            NimbrelRule rule;
            rule.id = Uuid::random();
            rule.name = QStringLiteral("Rule %1").arg(i);
            const bool forTapped = ruleMatches && i == ruleCount - 1;
            rule.trigger.clickCount = forTapped ? 1 : 1 + i % 3;
            rule.trigger.app =
                forTapped ? NimbrelRuleAppTarget{QStringLiteral("Tool 0"), QStringLiteral("com.example.tool0"), {}}
                          : NimbrelRuleAppTarget{
                                QStringLiteral("Other %1").arg(i), QStringLiteral("com.other.app%1").arg(i), {}};
            OpenAppRuleAction open;
            open.app = rule.trigger.app;
            rule.actions = {NimbrelRuleAction::openApp(open)};
            rules.push_back(rule);
        }
        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules(rules, json::DateForm::SecondsSince2001));
        stored = rules;

        engine = std::make_unique<NimbrelEngine>(
            platform, NimbrelEngine::Options{EngineServices::standard(platform), &executor, kNimbrelBundleIdentifier});
        engine->startMonitoring();
        for (const sim::DockTile& t : mac.dockTiles())
            if (t.title == QLatin1String("Tool 0")) tile = {t.frame.midX(), t.frame.midY()};
        NimbrelRulesStore& store = NimbrelRulesStore::shared(); // created once, as at start-up
        const double start = bench::threadCpuSeconds();
        store.updateRule(rules.front()); // a rule edited: the first save after the rules were read
        scheduler.advance(0);
        firstSaveMicros = (bench::threadCpuSeconds() - start) * 1e6;
        scheduler.advance(2);
    }
    ~TapBench() {
        setLogSink({});
        engine.reset();
        scheduler.advance(0);
        resetSharedInstances();
    }

    // One tap from the mouse-down to the decision carried out, then a quiet second.
    void tapOnce(benchmark::State& state) {
        const double start = bench::threadCpuSeconds();
        mac.mouseDown(tile);
        scheduler.advance(TapRecognizer::kCoalescingInterval); // the event's turn and the counted tap
        cpuMicros.push_back((bench::threadCpuSeconds() - start) * 1e6);
        state.PauseTiming();
        mac.mouseUp();
        scheduler.advance(1.0); // past the long-press check and any suppression
        mac.activate(mac.appWithBundleId(QStringLiteral("com.example.tool0"))->pid);
        state.ResumeTiming();
    }
    void report(benchmark::State& state) const {
        state.counters["cpu_median_us"] = bench::percentile(cpuMicros, 0.5);
        state.counters["cpu_p99_us"] = bench::percentile(cpuMicros, 0.99);
    }
};

// An edit of one rule in the middle of the list (what the rule editor's save does: the list
// changed and saved, then, on the next turn, its push and activity entry handed on), then, a
// second later as a person moves to the Dock, the next tap; processor time of the main thread
// for each. The threads that write the defaults and the activity history are not counted: they
// work beside the main thread (here virtual time runs the history's writing inline, in the
// second between the two).
void BM_TapPath_SaveThenTap(benchmark::State& state) {
    TapBench bench(true, int(state.range(0)), int(state.range(1)));
    NimbrelRulesStore& store = NimbrelRulesStore::shared();
    NimbrelRule edited = bench.stored[bench.stored.size() / 2];
    std::vector<double> saveMicros;
    int saves = 0;
    for (auto _ : state) {
        edited.name = QStringLiteral("Edited %1").arg(++saves);
        const double start = bench::threadCpuSeconds();
        store.updateRule(edited);
        bench.scheduler.advance(0);
        saveMicros.push_back((bench::threadCpuSeconds() - start) * 1e6);
        state.PauseTiming();
        bench.scheduler.advance(1.0);
        state.ResumeTiming();
        bench.tapOnce(state);
    }
    state.counters["save_cpu_median_us"] = bench::percentile(saveMicros, 0.5);
    state.counters["save_cpu_p99_us"] = bench::percentile(saveMicros, 0.99);
    state.counters["first_save_cpu_us"] = bench.firstSaveMicros;
    state.counters["first_tap_cpu_median_us"] = bench::percentile(bench.cpuMicros, 0.5);
    state.counters["first_tap_cpu_p99_us"] = bench::percentile(bench.cpuMicros, 0.99);
    if (bench.taps != int(state.iterations())) state.SkipWithError("not every press became a tap");
    if (bench.executor.handedOff != 2 * int(state.iterations())) state.SkipWithError("not every tap was handed off");
    if (store.rules().get()[bench.stored.size() / 2].name != edited.name) state.SkipWithError("the edit was lost");
}

void BM_TapPath_DefaultBehaviour(benchmark::State& state) {
    TapBench bench(false, int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        bench.tapOnce(state);
    bench.report(state);
    if (bench.taps != int(state.iterations())) state.SkipWithError("not every press became a tap");
    if (bench.executor.handedOff != 0) state.SkipWithError("a rule took the tap");
}

void BM_TapPath_RuleHandOff(benchmark::State& state) {
    TapBench bench(true, int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        bench.tapOnce(state);
    bench.report(state);
    if (bench.taps != int(state.iterations())) state.SkipWithError("not every press became a tap");
    if (bench.executor.handedOff != 2 * int(state.iterations())) state.SkipWithError("not every tap was handed off");
}

} // namespace

BENCHMARK(BM_TapPath_DefaultBehaviour)
    ->ArgsProduct({{100, 1000, 10000}, {0, 500, 5000}})
    ->ArgNames({"rules", "blacklisted"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TapPath_RuleHandOff)
    ->ArgsProduct({{100, 1000, 10000}, {0, 500, 5000}})
    ->ArgNames({"rules", "blacklisted"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TapPath_SaveThenTap)
    ->Args({1000, 500})
    ->Args({10000, 5000})
    ->ArgNames({"rules", "blacklisted"})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Processor time as well as elapsed time: on a shared machine the elapsed time also holds
    // the waits for a core.
    for (const char* variant : {"BM_TapPath_DefaultBehaviour", "BM_TapPath_RuleHandOff"}) {
        const std::string base = std::string(variant) + "/rules:";
        const std::string usual = base + "1000/blacklisted:500", largest = base + "10000/blacklisted:5000";
        if (!reporter.byName.count(usual) || !reporter.byName.count(largest)) continue;
        const auto median = [&](const std::string& name) {
            return double(reporter.byName.at(name).counters.at("cpu_median_us"));
        };
        std::printf("%s: 1,000 rules / 500 blacklisted: median %.1f us of processor time (mean %.1f us, elapsed "
                    "%.1f us; aim < 100 us); 10,000 / 5,000: median %.1f us (mean %.1f us, elapsed %.1f us) = %.2fx "
                    "(aim < 1.5x)\n",
                    variant + 11, median(usual), reporter.cpuTime[usual], reporter.realTime[usual], median(largest),
                    reporter.cpuTime[largest], reporter.realTime[largest], median(largest) / median(usual));
    }
    for (const char* size : {"1000/blacklisted:500", "10000/blacklisted:5000"}) {
        const std::string name = std::string("BM_TapPath_SaveThenTap/rules:") + size;
        if (!reporter.byName.count(name)) continue;
        const auto& counters = reporter.byName.at(name).counters;
        const bool large = std::string(size).starts_with("10000");
        std::printf("a rule saved, %s rules: the save %.0f us of main-thread processor time (p99 %.0f, the first "
                    "after start-up %.0f; aim < %s), the first tap after it %.0f us (p99 %.0f; aim < %s)\n",
                    large ? "10,000" : "1,000", double(counters.at("save_cpu_median_us")),
                    double(counters.at("save_cpu_p99_us")), double(counters.at("first_save_cpu_us")),
                    large ? "30 ms" : "5 ms", double(counters.at("first_tap_cpu_median_us")),
                    double(counters.at("first_tap_cpu_p99_us")), large ? "1 ms" : "0.2 ms");
    }
    benchmark::Shutdown();
    return 0;
}
