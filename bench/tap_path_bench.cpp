// The whole Dock tap path on the simulated Mac: the mouse-down event through the press
// filters, tile identification, counting, the decision (blacklist, mode, 1,000 stored rules
// read by the rules store) and the decision carried out (a cycle step or a rule hand-off).
// Virtual time jumps over the designed waits (0.12 s counting, 0.4 s long press).

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
#include "platform/simulated/SimulatedPlatform.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
    InMemoryUserDefaults defaults;
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.filePath(QStringLiteral("mac"))};
    sim::SimulatedMac& mac = simulated.mac();
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    NullExecutor executor;
    std::unique_ptr<NimbrelEngine> engine;
    Point tile;

    int taps = 0;

    explicit TapBench(bool ruleMatches) {
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
        for (int i = 0; i < 500; ++i)
            blacklist << QStringLiteral("com.blocked.app%1").arg(i);
        defaults.setStringArray(EngineState::blacklistDefaultsKey, blacklist);

        std::vector<NimbrelRule> rules;
        for (int i = 0; i < 1000; ++i) {
            NimbrelRule rule;
            rule.id = Uuid::random();
            rule.name = QStringLiteral("Rule %1").arg(i);
            const bool forTapped = ruleMatches && i == 999;
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

        engine = std::make_unique<NimbrelEngine>(
            platform, NimbrelEngine::Options{EngineServices::standard(platform), &executor, kNimbrelBundleIdentifier});
        engine->startMonitoring();
        for (const sim::DockTile& t : mac.dockTiles())
            if (t.title == QLatin1String("Tool 0")) tile = {t.frame.midX(), t.frame.midY()};
        NimbrelRulesStore::shared(); // created once, as at start-up
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
        mac.mouseDown(tile);
        scheduler.advance(TapRecognizer::kCoalescingInterval); // the event's turn and the counted tap
        state.PauseTiming();
        mac.mouseUp();
        scheduler.advance(1.0); // past the long-press check and any suppression
        mac.activate(mac.appWithBundleId(QStringLiteral("com.example.tool0"))->pid);
        state.ResumeTiming();
    }
};

void BM_TapPath_DefaultBehaviour(benchmark::State& state) {
    TapBench bench(false);
    for (auto _ : state)
        bench.tapOnce(state);
    if (bench.taps != int(state.iterations())) state.SkipWithError("not every press became a tap");
    if (bench.executor.handedOff != 0) state.SkipWithError("a rule took the tap");
}

void BM_TapPath_RuleHandOff(benchmark::State& state) {
    TapBench bench(true);
    for (auto _ : state)
        bench.tapOnce(state);
    if (bench.taps != int(state.iterations())) state.SkipWithError("not every press became a tap");
    if (bench.executor.handedOff != 2 * int(state.iterations())) state.SkipWithError("not every tap was handed off");
}

} // namespace

BENCHMARK(BM_TapPath_DefaultBehaviour)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TapPath_RuleHandOff)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
