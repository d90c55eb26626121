// Cost of the sessions store's 15 s evaluation tick with 100 stored sessions and 40 running
// applications, and of the launch observer's check of one launched application, each against
// the time of reading the stored sessions once ("Sessions.json" read and decoded). Prints both
// and their ratios. The defaults are the program's file-backed ones.
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

// The active session allows every running application, so each tick checks them all and
// closes none: the steady state of a long session.
struct Bench {
    explicit Bench(int sessionCount = kSessionCount)
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
            s.name = QStringLiteral("Session %1").arg(i, 3, 10, QLatin1Char('0'));
            s.whitelistAllApps = false;
            // Only the first is active (all day); the others run from 23:00 to 23:30.
            s.scheduleStartTime = i == 0 ? NimbrelSessionClockTime{0, 0} : NimbrelSessionClockTime{23, 0};
            s.scheduleEndTime = i == 0 ? NimbrelSessionClockTime{0, 0} : NimbrelSessionClockTime{23, 30};
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
    Bench bench(int(state.range(0)));
    for (auto _ : state) {
        bench.store->evaluateActiveSession(false);
        bench.store->enforceActiveSessionOnRunningApps();
    }
    if (!bench.store->activeSession().get() || bench.platform.workspace->runningApplications().size() < kRunningApps)
        state.SkipWithError("the tick did not run as set up");
}

void BM_LaunchCheck(benchmark::State& state) {
    Bench bench;
    for (auto _ : state)
        if (bench.store->blockIfNotAllowed(bench.launched)) state.SkipWithError("an allowed app was closed");
}

BENCHMARK(BM_ReadStoredSessions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EvaluationTick)->Arg(10)->Arg(kSessionCount)->Arg(1000)->Unit(benchmark::kMicrosecond);
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
        for (const int sessions : {10, nimbrel::kSessionCount, 1000}) {
            const double tick = reporter.cpuTime["BM_EvaluationTick/" + std::to_string(sessions)];
            if (tick > 0)
                std::printf("evaluation tick with %d sessions: %.1f us (%.4fx the read of %d)\n", sessions, tick,
                            tick / read, nimbrel::kSessionCount);
        }
    }
    benchmark::Shutdown();
    return 0;
}
