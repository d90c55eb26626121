// A full pull of the rules at 1,000 and 10,000 objects: as many rule payload records and as many
// tombstones read from the cloud database through the sync manager (the registry read, the batch
// fetch in chunks, the record readers, the sort), and the rules store's whole pull, which merges
// what it fetched into the rules it already holds (kept in the program's file-backed defaults,
// after a save), each against bare SQLite reads of the same rows. Every round runs the three
// once, one after another in a rotating order, so that the machine's changing load falls on all
// alike; each is timed in the main thread's processor time (in virtual time the database's calls
// run on the main thread too). Prints the medians and the medians of each round's ratios.
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/CodeSignature.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/ProgramIdentity.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/local/SqliteCloudStore.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"

#include "BareRowReads.h"
#include "MedianReporter.h"
#include "ProcessorTime.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace nimbrel;
using nimbrel::bench::percentile;
using nimbrel::bench::threadCpuSeconds;

const QString kContainer = kNimbrelCloudKitContainerIdentifier;

NimbrelRule ruleNumber(int i) {
    NimbrelRuleTrigger trigger{1, NimbrelRuleAppTarget{QStringLiteral("App %1").arg(i), std::nullopt, std::nullopt}};
    NimbrelRule r =
        NimbrelRule::make(QStringLiteral("Rule %1").arg(i), true, false, trigger,
                          {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})}, Date{762509700.0 + i});
    return r;
}

// The cloud of a Mac that has pushed `objects` rules and deleted as many others, and a program
// over it whose rules store holds the same rules.
struct Fixture {
    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    FixedCodeSignature signature{{{"com.apple.developer.icloud-services", QStringList{"CloudKit"}},
                                  {"com.apple.developer.icloud-container-identifiers", QStringList{kContainer}}}};
    FixedMainBundle bundle{kNimbrelBundleIdentifier};
    std::unique_ptr<SqliteCloudService> cloud;
    Platform platform;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status;
    std::shared_ptr<NimbrelCloudSyncManager> manager;
    std::vector<NimbrelRule> rules;
    std::vector<QByteArray> rowNames;
    std::unique_ptr<ScopedPlatform> installed;
    std::shared_ptr<NimbrelRulesStore> rulesStore;

    explicit Fixture(int objects) {
        const QString path = dir.path() + QStringLiteral("/CloudDatabase.sqlite");
        SqliteCloudStore store(path);
        QStringList payloadIDs, tombstoneIDs;
        for (int i = 0; i < objects; ++i) {
            rules.push_back(ruleNumber(i));
            NimbrelCloudPayloadRecord p{rules.back().id.toString(),
                                        NimbrelCloudPayloadType::rule,
                                        encodeCloudJSON(toJson(rules.back(), json::DateForm::ISO8601)),
                                        QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"),
                                        rules.back().createdAt,
                                        rules.back().updatedAt,
                                        1};
            CloudRecord record(QStringLiteral("NimbrelRule"), payloadRecordID(p.payloadType, p.objectID));
            p.writeTo(record);
            store.save(kContainer, record);
            payloadIDs << p.objectID;
            rowNames.push_back(record.recordID().recordName.toUtf8());

            const NimbrelCloudTombstone t{Uuid::random().toString(), NimbrelCloudPayloadType::rule,
                                          QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), Date{762509800.0 + i},
                                          1};
            store.save(kContainer, t.makeRecord());
            tombstoneIDs << t.objectID;
            rowNames.push_back(t.makeRecord().recordID().recordName.toUtf8());
        }
        CloudRecord registry(cloudnames::registryType, {cloudnames::syncRegistry});
        registry.set(QStringLiteral("payloadIDs_rule"), payloadIDs);
        registry.set(QStringLiteral("tombstoneIDs_rule"), tombstoneIDs);
        store.save(kContainer, registry);

        cloud = std::make_unique<SqliteCloudService>(scheduler, path);
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.codeSignature = &signature;
        platform.mainBundle = &bundle;
        platform.cloud = cloud.get();
        status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
        status->status.set(NimbrelCloudKitAccountStatus::available());
        manager = std::make_shared<NimbrelCloudSyncManager>(platform, status);

        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules(rules, json::DateForm::SecondsSince2001));
        installed = std::make_unique<ScopedPlatform>(platform);
        StoreSyncLinks links{[] { return true; }, [this]() -> NimbrelCloudSyncManager& { return *manager; }};
        rulesStore = NimbrelRulesStore::create(platform, links);
        scheduler.runUntilIdle();
        rulesStore->save();
    }
    ~Fixture() {
        rulesStore.reset();
        resetSharedInstances();
    }

    bool managerFetch() {
        size_t records = 0, tombstones = 0;
        // A failed fetch answers with no list.
        manager->fetchPayloadRecords(NimbrelCloudPayloadType::rule,
                                     [&](auto list) { records = list ? list->size() : 0; });
        manager->fetchTombstones(NimbrelCloudPayloadType::rule,
                                 [&](auto list) { tombstones = list ? list->size() : 0; });
        scheduler.runUntilIdle();
        return records == rules.size() && tombstones == rules.size();
    }
    bool storePull() {
        bool done = false;
        rulesStore->pullFromCloud([&] { done = true; });
        scheduler.runUntilIdle();
        return done && rulesStore->rules().get().size() == rules.size();
    }
};

void BM_FullPull(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    BareRowReader bare(f.cloud->path(), kContainer, f.rowNames);
    std::vector<double> ms[3], fetchRatio, pullRatio;
    int round = 0;
    for (auto _ : state) {
        double taken[3] = {};
        for (int k = 0; k < 3; ++k) {
            const int which = (round + k) % 3;
            const double start = threadCpuSeconds();
            bool whole = true;
            if (which == 0)
                benchmark::DoNotOptimize(bare.readAll());
            else
                whole = which == 1 ? f.managerFetch() : f.storePull();
            taken[which] = threadCpuSeconds() - start;
            if (!whole) state.SkipWithError("pull incomplete");
        }
        for (int which = 0; which < 3; ++which)
            ms[which].push_back(taken[which] * 1e3);
        fetchRatio.push_back(taken[1] / taken[0]);
        pullRatio.push_back(taken[2] / taken[0]);
        ++round;
    }
    state.counters["bare_ms"] = percentile(ms[0], 0.5);
    state.counters["fetch_ms"] = percentile(ms[1], 0.5);
    state.counters["pull_ms"] = percentile(ms[2], 0.5);
    state.counters["fetch_ratio"] = percentile(fetchRatio, 0.5);
    state.counters["pull_ratio"] = percentile(pullRatio, 0.5);
    state.counters["pull_ratio_p10"] = percentile(pullRatio, 0.1);
    state.counters["pull_ratio_p90"] = percentile(pullRatio, 0.9);
}

// Each size builds its cloud once: a fixed number of rounds keeps the library from starting again.
BENCHMARK(BM_FullPull)->Arg(1000)->Iterations(31)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPull)->Arg(10000)->Iterations(9)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* objects : {"1000", "10000"}) {
        const auto run = reporter.byName.find(std::string("BM_FullPull/") + objects);
        if (run == reporter.byName.end()) continue;
        const auto counter = [&](const char* name) { return double(run->second.counters.at(name)); };
        std::printf("%s rule payloads and %s tombstones (processor time, medians of interleaved rounds): bare row "
                    "reads %.2f ms; full pull through the sync manager %.2f ms (%.2fx); the rules store's pull with "
                    "its merge %.2f ms (%.2fx, 10th-90th percentile %.2fx-%.2fx)\n",
                    objects, objects, counter("bare_ms"), counter("fetch_ms"), counter("fetch_ratio"),
                    counter("pull_ms"), counter("pull_ratio"), counter("pull_ratio_p10"), counter("pull_ratio_p90"));
    }
    benchmark::Shutdown();
    return 0;
}
