// One session's start time edited and saved with the sessions screen open, as a person edits one
// (the editor is part of the screen), with 100 and 1,000 stored sessions of 20 Dock apps each
// (installed on the simulated Mac) that remind on every day: the main thread's processor time of
// all the edit costs (the store's save and publishing, the reminder refresh, and the screen's
// view model observing the store), against the same edit with no screen. The file is written by
// a worker of its own, as in the program.
#include "MedianReporter.h"
#include "SessionsOnSimulatedMac.h"
#include "sessions/SessionReminderScheduler.h"
#include "ui/sessions/SessionsViewModel.h"

#include <cstdio>
#include <memory>
#include <string>

namespace nimbrel {
namespace {

struct Bench : bench::SessionsOnSimulatedMac {
    explicit Bench(int sessionCount) {
        setCurrentLocaleName("en_US");
        std::vector<NimbrelSessionApp> apps;
        for (int i = 0; i < 20; ++i) {
            const QString id = QStringLiteral("com.example.app%1").arg(i);
            const QString path = QStringLiteral("/Applications/App %1.app").arg(i);
            simulated.mac().installApplication(path, id, QStringLiteral("App %1").arg(i));
            apps.push_back({Uuid::random(), QStringLiteral("App %1").arg(i), id, path});
        }
        std::vector<NimbrelSession> sessions;
        for (int i = 0; i < sessionCount; ++i) {
            NimbrelSession s;
            s.name = QStringLiteral("Session %1").arg(i, 4, 10, QLatin1Char('0'));
            s.scheduleStartTime = {23, 0};
            s.scheduleEndTime = {23, 30};
            s.allowedApps = apps;
            sessions.push_back(s);
        }
        NimbrelSessionsStore::Parts parts = NimbrelSessionsStore::Parts::none();
        parts.reminders = [this]() -> SessionReminderControl& { return *reminders; };
        startStore(sessions, std::move(parts));
    }
    ~Bench() {
        background.wait();
        screen.reset();
        setCurrentLocaleName({});
    }
    void openScreen() {
        screen = std::make_unique<SessionsViewModel>(
            SessionsViewModel::Services{platform, store, [] { return std::shared_ptr<NimbrelInstalledApps>(); }, {}});
        screen->appeared();
        scheduler.advance(0);
    }

    std::shared_ptr<NimbrelSessionReminderScheduler> reminders =
        std::make_shared<NimbrelSessionReminderScheduler>(platform);
    std::unique_ptr<SessionsViewModel> screen;
};

void BM_SessionEdit(benchmark::State& state) {
    Bench bench(int(state.range(0)));
    if (state.range(1)) bench.openScreen();
    NimbrelSession edited = bench.store->sessions().get()[bench.store->sessions().get().size() / 2];
    int saves = 0;
    for (auto _ : state) {
        edited.scheduleStartTime.minute = ++saves % 2 ? 5 : 0;
        bench.store->updateSession(edited);
        bench.background.wait();
        bench.scheduler.advance(0);
    }
    if (bench.screen && bench.screen->sortedSessions().size() != size_t(state.range(0)))
        state.SkipWithError("the screen does not show every session");
    if (bench.userNotifications.pendingNow().size() != size_t(state.range(0)) * 7 * 8)
        state.SkipWithError("the reminders are not all pending");
}
BENCHMARK(BM_SessionEdit)
    ->ArgsProduct({{100, 1000}, {0, 1}})
    ->ArgNames({"sessions", "screen"})
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nimbrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const int sessions : {100, 1000}) {
        const std::string name = "BM_SessionEdit/sessions:" + std::to_string(sessions);
        const double without = reporter.cpuTime[name + "/screen:0"];
        const double with = reporter.cpuTime[name + "/screen:1"];
        if (without > 0 && with > 0)
            std::printf("a session edited with %d sessions: %.2f ms of the main thread's processor time with the "
                        "sessions screen open (aim < %s ms; the screen's part %.2f ms), %.2f ms without it\n",
                        sessions, with, sessions >= 1000 ? "30" : "5", with - without, without);
    }
    benchmark::Shutdown();
    return 0;
}
