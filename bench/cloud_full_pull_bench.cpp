// A full pull of the rules: 1,000 rule payload records and 1,000 tombstones read from the cloud
// database through the sync manager (the registry read, the batch fetch in chunks, the record
// readers, the sort), against the same number of bare SQLite row reads. Also the rules store's
// whole pull, which merges what it fetched into 1,000 rules it already holds. Prints the figures
// and the ratios.
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/CodeSignature.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/ProgramIdentity.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/local/SqliteCloudStore.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"

#include "BareRowReads.h"
#include "RatioReporter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace nimbrel;

constexpr int kObjects = 1000;
const QString kContainer = kNimbrelCloudKitContainerIdentifier;

NimbrelRule ruleNumber(int i) {
    NimbrelRuleTrigger trigger{1, NimbrelRuleAppTarget{QStringLiteral("App %1").arg(i), std::nullopt, std::nullopt}};
    NimbrelRule r =
        NimbrelRule::make(QStringLiteral("Rule %1").arg(i), true, false, trigger,
                          {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})}, Date{762509700.0 + i});
    return r;
}

// The cloud of a Mac that has pushed 1,000 rules and deleted 1,000 others, and a program over it.
struct Fixture {
    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    FixedCodeSignature signature{{{"com.apple.developer.icloud-services", QStringList{"CloudKit"}},
                                  {"com.apple.developer.icloud-container-identifiers", QStringList{kContainer}}}};
    FixedMainBundle bundle{kNimbrelBundleIdentifier};
    std::unique_ptr<SqliteCloudService> cloud;
    Platform platform;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status;
    std::shared_ptr<NimbrelCloudSyncManager> manager;
    std::vector<NimbrelRule> rules;
    std::vector<QByteArray> rowNames;

    Fixture() {
        const QString path = dir.path() + QStringLiteral("/CloudDatabase.sqlite");
        SqliteCloudStore store(path);
        QStringList payloadIDs, tombstoneIDs;
        for (int i = 0; i < kObjects; ++i) {
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
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_BareRowReads(benchmark::State& state) {
    readRowsBare(state, fixture().cloud->path(), kContainer, fixture().rowNames);
}

void BM_ManagerFetch(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        size_t records = 0, tombstones = 0;
        f.manager->fetchPayloadRecords(NimbrelCloudPayloadType::rule, [&](auto list) { records = list ? list->size() : 0; });
        f.manager->fetchTombstones(NimbrelCloudPayloadType::rule, [&](auto list) { tombstones = list ? list->size() : 0; });
        f.scheduler.runUntilIdle();
        if (records != size_t(kObjects) || tombstones != size_t(kObjects)) state.SkipWithError("pull incomplete");
    }
}

void BM_RulesStorePull(benchmark::State& state) {
    Fixture& f = fixture();
    f.defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules(f.rules, json::DateForm::SecondsSince2001));
    StoreSyncLinks links{[] { return true; }, [&f]() -> NimbrelCloudSyncManager& { return *f.manager; }};
    ScopedPlatform installed(f.platform);
    auto store = NimbrelRulesStore::create(f.platform, links);
    f.scheduler.runUntilIdle();
    for (auto _ : state) {
        bool done = false;
        store->pullFromCloud([&] { done = true; });
        f.scheduler.runUntilIdle();
        if (!done || store->rules().get().size() != size_t(kObjects)) state.SkipWithError("pull incomplete");
    }
}

BENCHMARK(BM_BareRowReads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManagerFetch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RulesStorePull)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bare = reporter.seconds["BM_BareRowReads/"];
    const double fetch = reporter.seconds["BM_ManagerFetch/"];
    const double pull = reporter.seconds["BM_RulesStorePull/"];
    if (bare > 0)
        std::printf("1000 rule payloads and 1000 tombstones: bare row reads %.2f ms, full pull through the sync "
                    "manager %.2f ms (%.2fx), the rules store's pull with its merge %.2f ms (%.2fx)\n",
                    bare, fetch, fetch / bare, pull, pull / bare);
    benchmark::Shutdown();
    return 0;
}
