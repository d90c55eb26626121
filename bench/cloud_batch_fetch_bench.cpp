// Fetching 1,000 records by id in one batch from the cloud database file, against 1,000 bare
// SQLite reads of the same rows. The batch reads every row and decodes its fields into a
// record; through the service it also hops to the worker and back. Prints both and the ratio.
#include "platform/CloudDatabase.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/local/SqliteCloudStore.h"

#include "BareRowReads.h"
#include "RatioReporter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace nimbrel;

constexpr int kRecords = 1000;
const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

// A database of 1,000 rule payload records of about 1 KB each, made once.
struct Fixture {
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/CloudDatabase.sqlite");
    std::vector<CloudRecordID> ids;

    Fixture() {
        SqliteCloudStore store(path);
        const QByteArray payload = QByteArray("{\"name\":\"A rule\",\"actions\":[") + QByteArray(900, 'x') + "]}";
        for (int i = 0; i < kRecords; ++i) {
            const QString id = QStringLiteral("00000000-0000-0000-0000-%1").arg(i, 12, 10, QLatin1Char('0'));
            CloudRecord r(QStringLiteral("NimbrelRule"), {QStringLiteral("rule_") + id});
            r.set("objectID", id);
            r.set("payloadType", QStringLiteral("rule"));
            r.set("payload", payload);
            r.set("sourceDeviceID", QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
            r.set("createdAt", Date{762509700.0 + i});
            r.set("updatedAt", Date{762509760.0 + i});
            r.set("schemaVersion", qint64(1));
            store.save(kContainer, r);
            ids.push_back(r.recordID());
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_BareRowReads(benchmark::State& state) {
    std::vector<QByteArray> names;
    for (const CloudRecordID& id : fixture().ids)
        names.push_back(id.recordName.toUtf8());
    readRowsBare(state, fixture().path, kContainer, names);
}

void BM_StoreBatchFetch(benchmark::State& state) {
    SqliteCloudStore store(fixture().path);
    for (auto _ : state) {
        auto result = store.fetchMany(kContainer, fixture().ids);
        if (!result.ok() || result.value().size() != size_t(kRecords)) state.SkipWithError("batch failed");
        benchmark::DoNotOptimize(result);
    }
}

void BM_ServiceBatchFetch(benchmark::State& state) {
    VirtualScheduler scheduler;
    SqliteCloudService service(scheduler, fixture().path);
    service.conditions().batchLimit = kRecords;
    CloudDatabase& db = service.container(kContainer)->privateCloudDatabase();
    for (auto _ : state) {
        size_t found = 0;
        db.fetchRecords(fixture().ids, [&](CloudResult<CloudBatchResult> r) { found = r.ok() ? r.value().size() : 0; });
        scheduler.runUntilIdle();
        if (found != size_t(kRecords)) state.SkipWithError("batch failed");
    }
}

BENCHMARK(BM_BareRowReads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBatchFetch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServiceBatchFetch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bare = reporter.seconds["BM_BareRowReads/"];
    const double store = reporter.seconds["BM_StoreBatchFetch/"];
    const double service = reporter.seconds["BM_ServiceBatchFetch/"];
    if (bare > 0)
        std::printf("1000 records: bare row reads %.2f ms, batch fetch %.2f ms (%.2fx), through the service %.2f ms "
                    "(%.2fx)\n",
                    bare, store, store / bare, service, service / bare);
    benchmark::Shutdown();
    return 0;
}
