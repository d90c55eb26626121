// The activity and blacklist screens' lists, recomputed at each redraw.
//
// BM_ActivityDayModel: the 30-day strip with its counts and the selected day's entries from a
// history of 10,000 entries (30 days of heavy use), in a zone with daylight saving.
// BM_ActivityEntryArrives: a new entry reaching the list of a day of 1,000 entries that the
// screen shows.
// BM_BlacklistKeystroke: one keystroke in the blacklist search over 500 installed apps: the
// search text set, the listing derived and the nine rows a full list shows made.

#include "model/BlacklistStore.h"
#include "platform/Calendar.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "ui/screens/ActivityDayModel.h"
#include "ui/screens/ActivityViewModel.h"
#include "ui/screens/BlacklistViewModel.h"

#include <benchmark/benchmark.h>

using namespace nimbrel;

namespace {

const Date kNow{794836800.0}; // 2026-03-10 12:00 UTC

void BM_ActivityDayModel(benchmark::State& state) {
    const QTimeZone zone("Europe/Berlin");
    std::vector<NimbrelActivityEntry> entries;
    for (int i = 0; i < 10000; ++i)
        entries.push_back({Uuid::random(), NimbrelActivityType(i % 6), QStringLiteral("Rule Matched"),
                           QStringLiteral("Safari opened three websites."), kNow.addingSeconds(-i * 259.0)});
    const QDate selected = calendarDay(kNow, zone);
    for (auto _ : state) {
        ActivityDayModel model = buildActivityDayModel(entries, kNow, selected, zone);
        benchmark::DoNotOptimize(model);
    }
}
BENCHMARK(BM_ActivityDayModel)->Unit(benchmark::kMillisecond);

void BM_ActivityEntryArrives(benchmark::State& state) {
    std::vector<NimbrelActivityEntry> day;
    for (int i = 0; i < 1000; ++i)
        day.push_back({Uuid::random(), NimbrelActivityType(i % 6), QStringLiteral("Rule Matched"),
                       QStringLiteral("Safari opened three websites."), kNow.addingSeconds(-i * 40.0)});
    ActivityEntryListModel list;
    list.setEntries(calendarDay(kNow, QTimeZone::utc()), day);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<NimbrelActivityEntry> next = list.entries();
        next.insert(next.begin(), {Uuid::random(), NimbrelActivityType::rule, QStringLiteral("Rule Matched"),
                                   QStringLiteral("Safari opened three websites."), kNow});
        next.pop_back();
        state.ResumeTiming();
        list.setEntries(calendarDay(kNow, QTimeZone::utc()), std::move(next));
    }
}
BENCHMARK(BM_ActivityEntryArrives)->Unit(benchmark::kMicrosecond);

void BM_BlacklistKeystroke(benchmark::State& state) {
    VirtualScheduler scheduler{kNow};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    Platform platform;
    platform.scheduler = &scheduler;
    platform.clock = &scheduler;
    platform.notifications = &notifications;
    platform.defaults = &defaults;
    ScopedPlatform installed(platform);

    const QStringList words = {"Studio", "Notes", "Café", "Pixel", "Mail", "Code", "Photo", "Chat", "Pro", "Lite"};
    std::vector<InstalledApp> apps;
    for (int i = 0; i < 500; ++i) {
        InstalledApp app;
        app.name = words[i % 10] + QLatin1Char(' ') + words[(i / 10) % 10] + QLatin1Char(' ') + QString::number(i);
        app.bundleIdentifier = QStringLiteral("com.example.app%1").arg(i);
        app.id = *app.bundleIdentifier;
        app.url = QStringLiteral("/Applications/%1.app").arg(app.name);
        apps.push_back(app);
    }
    BlacklistStore::setCachedInstalledApps(apps);
    defaults.setStringArray(BlacklistStore::defaultsKey, {"com.example.app3", "com.example.app77", "org.gone"});
    auto store = BlacklistStore::create(platform, {[] { return false; }, {}});
    BlacklistViewModel model(platform, store);
    scheduler.runUntilIdle();

    const QStringList typed = {"p", "ph", "pho", "phot", "photo", "photo ", "photo s", "photo st"};
    int i = 0;
    for (auto _ : state) {
        model.setSearchText(typed[i++ % typed.size()]);
        // The rows a list of this height shows are the only ones made.
        for (int row = 0; row < std::min(9, model.rows().rowCount()); ++row)
            benchmark::DoNotOptimize(model.rows().row(row));
    }
    resetSharedInstances();
}
BENCHMARK(BM_BlacklistKeystroke)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
