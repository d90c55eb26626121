// Cost of the sessions store's 15 s evaluation tick with 10, 100 and 1,000 stored sessions and 40
// running applications, with the active session first in the session order, last, or none active
// (the tick then looks at every session), and of the launch observer's check of one launched
// application, each against the time of reading 100 stored sessions once ("Sessions.json" read
// and decoded). Prints both and their ratios. Also one session edited and saved with 100 and
// 1,000 sessions. The defaults are the program's file-backed ones.
#include "MedianReporter.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/Workspace.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace nimbrel {
namespace {

constexpr int kSessionCount = 100; // the tick also runs at 10 and 1,000
constexpr int kRunningApps = 40;

// Where the one session active at noon stands in the session order.
enum class Active { first, last, none };

// The active session allows every running application, so each tick checks them all and
// closes none: the steady state of a long session.
struct Bench {
    explicit Bench(int sessionCount = kSessionCount, Active where = Active::first)
        : simulated(scheduler, scheduler, dir.filePath(QStringLiteral("mac"))) {
        setLogToStdout(false);
        setCurrentTimeZone(QTimeZone("UTC"));
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.userNotifications = &userNotifications;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        simulated.fill(platform);
        Platform::install(&platform);

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
        QDir().mkpath(platform.locations.nimbrelSupportFolder());
        QFile file(platform.locations.nimbrelSupportFolder() + QStringLiteral("/Sessions.json"));
        if (file.open(QIODevice::WriteOnly)) file.write(encodeSessionList(sessions));
        file.close();
        store = NimbrelSessionsStore::create(platform, NimbrelSessionsStore::Parts::none());
        scheduler.advance(0);
        launched = platform.workspace->runningApplications().back();
    }
    ~Bench() {
        store.reset();
        resetSharedInstances();
        Platform::install(nullptr);
    }

    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}}; // a Tuesday, 12:00 UTC
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    RecordingUserNotifications userNotifications{scheduler, scheduler};
    sim::SimulatedPlatform simulated;
    Platform platform;
    std::shared_ptr<NimbrelSessionsStore> store;
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

// One session edited and saved (stamped, sorted, the whole file written, re-evaluated).
void BM_SessionSave(benchmark::State& state) {
    Bench bench(int(state.range(0)));
    NimbrelSession edited = bench.store->sessions().get()[bench.store->sessions().get().size() / 2];
    int saves = 0;
    for (auto _ : state) {
        edited.menuBarSymbolName = QStringLiteral("symbol %1").arg(++saves);
        bench.store->updateSession(edited);
    }
}

BENCHMARK(BM_ReadStoredSessions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SessionSave)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
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
        for (const int sessions : {100, 1000})
            if (const double save = reporter.cpuTime["BM_SessionSave/" + std::to_string(sessions)]; save > 0)
                std::printf("a session edited and saved with %d sessions: %.1f ms of processor time, %.1f ms elapsed "
                            "(the file is written and flushed on the main thread)\n",
                            sessions, save, reporter.realTime["BM_SessionSave/" + std::to_string(sessions)]);
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
