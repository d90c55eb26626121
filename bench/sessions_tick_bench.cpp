// Cost of the sessions store's 15 s evaluation tick with 10, 100 and 1,000 stored sessions and 40
// running applications, with the active session first in the session order, last, or none active
// (the tick then looks at every session), and of the launch observer's check of one launched
// application, each against the time of reading 100 stored sessions once ("Sessions.json" read
// and decoded). Prints both and their ratios. Also one session edited and saved with 100 and
// 1,000 sessions that each remind on every day (56,000 pending reminders at 1,000): the store's
// part, the reminder refresh and what a worker does for it, each in processor time. The defaults
// are the program's file-backed ones.
#include "MedianReporter.h"
#include "ProcessorTime.h"
#include "SessionsOnSimulatedMac.h"
#include "platform/Workspace.h"
#include "sessions/SessionReminderScheduler.h"

#include <cstdio>
#include <string>
#include <vector>

namespace nimbrel {
namespace {

constexpr int kSessionCount = 100; // the tick also runs at 10 and 1,000
constexpr int kRunningApps = 40;

// Where the one session active at noon stands in the session order.
enum class Active { first, last, none };

// With `reminders`, the program's reminder scheduler.
struct Bench : bench::SessionsOnSimulatedMac {
    explicit Bench(int sessionCount = kSessionCount, Active where = Active::first, bool reminders = false) {
        sim::SimulatedMac& mac = simulated.mac();
        for (int i = 0; int(mac.apps().size()) < kRunningApps; ++i) {
            const QString id = QStringLiteral("com.example.app%1").arg(i);
            mac.installApplication(QStringLiteral("/Applications/App %1.app").arg(i), id,
                                   QStringLiteral("App %1").arg(i));
            mac.startApplication(*mac.installedApplication(id), false, false);
        }
        std::vector<NimbrelSession> sessions;
        for (int i = 0; i < sessionCount; ++i) {
            NimbrelSession s;
            s.name = QStringLiteral("Session %1").arg(i, 4, 10, QLatin1Char('0'));
            s.whitelistAllApps = false;
            // One is active (all day); the others run from 23:00 to 23:30. Names sort by number.
            const bool active = (where == Active::first && i == 0) || (where == Active::last && i == sessionCount - 1);
            s.scheduleStartTime = active ? NimbrelSessionClockTime{0, 0} : NimbrelSessionClockTime{23, 0};
            s.scheduleEndTime = active ? NimbrelSessionClockTime{0, 0} : NimbrelSessionClockTime{23, 30};
            for (const sim::App& app : mac.apps()) {
                NimbrelSessionApp sessionApp{Uuid::random(), app.name, app.bundleIdentifier, app.bundlePath};
                (s.allowedApps.size() < 20 ? s.allowedApps : s.whitelistedApps).push_back(sessionApp);
            }
            sessions.push_back(s);
        }
        NimbrelSessionsStore::Parts parts = NimbrelSessionsStore::Parts::none();
        if (reminders) {
            reminderScheduler = std::make_shared<NimbrelSessionReminderScheduler>(platform);
            parts.reminders = [this]() -> SessionReminderControl& { return *reminderScheduler; };
        }
        startStore(sessions, std::move(parts));
        launched = platform.workspace->runningApplications().back();
    }

    std::shared_ptr<NimbrelSessionReminderScheduler> reminderScheduler;
    RunningApplication launched;
};

void BM_ReadStoredSessions(benchmark::State& state) {
    Bench bench;
    for (auto _ : state)
        bench.store->loadSessions();
    if (bench.store->sessions().get().size() != kSessionCount) state.SkipWithError("the sessions did not load");
}

void BM_EvaluationTick(benchmark::State& state) {
    const Active where = Active(state.range(1));
    Bench bench(int(state.range(0)), where);
    for (auto _ : state) {
        bench.store->evaluateActiveSession(false);
        bench.store->enforceActiveSessionOnRunningApps();
    }
    const auto& active = bench.store->activeSession().get();
    const auto& sessions = bench.store->sessions().get();
    const bool asSetUp = where == Active::none ? !active
                                               : active && active->id == (where == Active::first ? sessions.front().id
                                                                                                 : sessions.back().id);
    if (!asSetUp || bench.platform.workspace->runningApplications().size() < kRunningApps)
        state.SkipWithError("the tick did not run as set up");
}

void BM_LaunchCheck(benchmark::State& state) {
    Bench bench;
    for (auto _ : state)
        if (bench.store->blockIfNotAllowed(bench.launched)) state.SkipWithError("an allowed app was closed");
}

// What an edit of one session changes: its symbol (nothing its reminders show), or its start
// time (its reminders are made anew).
enum class Edit { symbol, startTime };

// One session edited and saved, as the sessions screen's save does: stamped, sorted, saved,
// re-evaluated and its reminders refreshed. Every session reminds two minutes before it starts
// on every day. The time per save is the main thread's; the counters split it into the store's
// part ("store_ms": the save, the publishing, the evaluation) and the reminder refresh
// ("reminders_ms"), and give what a worker spent for the save ("worker_ms").
void BM_SessionSave(benchmark::State& state) {
    Bench bench(int(state.range(0)), Active::first, true);
    const Edit edit = Edit(state.range(1));
    NimbrelSession edited = bench.store->sessions().get()[bench.store->sessions().get().size() / 2];
    int saves = 0;
    double storeSeconds = 0, reminderSeconds = 0;
    bench.background.takeWorkerSeconds();
    for (auto _ : state) {
        ++saves;
        if (edit == Edit::symbol)
            edited.menuBarSymbolName = QStringLiteral("symbol %1").arg(saves);
        else
            edited.scheduleStartTime.minute = saves % 2 ? 5 : 0;
        const double start = bench::threadCpuSeconds();
        bench.store->updateSession(edited);
        const double stored = bench::threadCpuSeconds();
        // Each save's background work ends before the next save, so none is gathered into another.
        bench.background.wait();
        // The reminder refresh runs in the notification centre's completions, and what a worker
        // hands back comes here.
        bench.scheduler.advance(0);
        storeSeconds += stored - start;
        reminderSeconds += bench::threadCpuSeconds() - stored;
    }
    const double workerSeconds = bench.background.takeWorkerSeconds();
    using Counter = benchmark::Counter;
    state.counters["store_ms"] = Counter(storeSeconds * 1e3, Counter::kAvgIterations);
    state.counters["reminders_ms"] = Counter(reminderSeconds * 1e3, Counter::kAvgIterations);
    state.counters["worker_ms"] = Counter(workerSeconds * 1e3, Counter::kAvgIterations);
    if (bench.userNotifications.pendingNow().size() != size_t(state.range(0)) * 7 * 8)
        state.SkipWithError("the reminders are not all pending");
}

BENCHMARK(BM_ReadStoredSessions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SessionSave)
    ->ArgsProduct({{100, 1000}, {int(Edit::symbol), int(Edit::startTime)}})
    ->ArgNames({"sessions", "edit"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationTick)
    ->ArgsProduct({{10, kSessionCount, 1000}, {int(Active::first), int(Active::last), int(Active::none)}})
    ->ArgNames({"sessions", "active"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LaunchCheck)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace nimbrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Processor time: on a shared machine the elapsed time also holds the waits for a core.
    const double read = reporter.cpuTime["BM_ReadStoredSessions/"];
    const double launch = reporter.cpuTime["BM_LaunchCheck/"];
    if (read > 0) {
        std::printf("%d sessions, %d running apps (processor time): reading the stored sessions %.1f us; launch check "
                    "%.2f us (%.4fx the read)\n",
                    nimbrel::kSessionCount, nimbrel::kRunningApps, read, launch, launch / read);
        const char* const edits[] = {"its symbol", "its start time"};
        for (const int sessions : {100, 1000})
            for (int edit = 0; edit < 2; ++edit) {
                const std::string name =
                    "BM_SessionSave/sessions:" + std::to_string(sessions) + "/edit:" + std::to_string(edit);
                const double save = reporter.cpuTime[name];
                if (save <= 0) continue;
                const auto& counters = reporter.byName[name].counters;
                const auto counter = [&](const char* key) {
                    const auto it = counters.find(key);
                    return it == counters.end() ? 0.0 : double(it->second);
                };
                std::printf("a session edited (%s) and saved with %d sessions: %.2f ms of the main thread's "
                            "processor time (store %.2f ms, reminder refresh %.2f ms; aim < %s ms), a worker "
                            "%.2f ms\n",
                            edits[edit], sessions, save, counter("store_ms"), counter("reminders_ms"),
                            sessions >= 1000 ? "30" : "5", counter("worker_ms"));
            }
        const char* const where[] = {"first", "last", "none"};
        for (const int sessions : {10, nimbrel::kSessionCount, 1000})
            for (int active = 0; active < 3; ++active) {
                const double tick = reporter.cpuTime["BM_EvaluationTick/sessions:" + std::to_string(sessions) +
                                                     "/active:" + std::to_string(active)];
                if (tick > 0)
                    std::printf("evaluation tick with %d sessions, the active one %s: %.1f us (%.4fx the read of "
                                "%d; aim < 50 us)\n",
                                sessions, where[active], tick, tick / read, nimbrel::kSessionCount);
            }
    }
    benchmark::Shutdown();
    return 0;
}
