// Cost of one defaults read and one change when 10,000 keys are stored (changes also with 50,
// about what the program keeps), and of a pause click's changes, against one set of
// in-memory defaults. A change is written by the defaults' own thread, the whole file flushed
// and renamed into place, at most every 100 ms: what the caller waits for is the change in
// memory, unless it asks to synchronize.

#include "platform/UserDefaults.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/local/TypedValueCoding.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace nimbrel;

namespace {

constexpr int kKeys = 10000;

QString keyName(int i) {
    return QStringLiteral("Nimbrel.bench.key%1").arg(i);
}

// A file of `count` values of mixed types, made once per count.
struct Fixture {
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<JsonFileUserDefaults> defaults;

    explicit Fixture(int count) : path(dir.path() + QStringLiteral("/defaults.json")) {
        // Written once in the file's own form; setting 10,000 keys one by one would rewrite
        // the file 10,000 times.
        QJsonObject values;
        for (int i = 0; i < count; ++i) {
            QVariant v;
            switch (i % 4) {
            case 0:
                v = qint64(i);
                break;
            case 1:
                v = QStringLiteral("value %1").arg(i);
                break;
            case 2:
                v = (i % 3 == 0);
                break;
            default:
                v = i * 0.5;
                break;
            }
            values.insert(keyName(i), *encodeTypedValue(v));
        }
        const QJsonObject root{{QStringLiteral("format"), 1}, {QStringLiteral("values"), values}};
        writeFileAtomically(path, QJsonDocument(root).toJson());
        defaults = std::make_unique<JsonFileUserDefaults>(path);
    }
};

Fixture& fixture(int count = kKeys) {
    static std::map<int, std::unique_ptr<Fixture>> made;
    auto& f = made[count];
    if (!f) f = std::make_unique<Fixture>(count);
    return *f;
}

void BM_DefaultsRead(benchmark::State& state) {
    JsonFileUserDefaults& d = *fixture().defaults;
    QStringList keys;
    for (int i = 0; i < kKeys; i += 4)
        keys << keyName(i); // the integer ones
    qsizetype i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(d.integerValue(keys[i]));
        i = (i + 7919) % keys.size();
    }
    state.counters["keys"] = static_cast<double>(d.keys().size());
}

void BM_DefaultsWrite(benchmark::State& state) {
    JsonFileUserDefaults& d = *fixture(static_cast<int>(state.range(0))).defaults;
    const QString key = keyName(0);
    qint64 n = 0;
    for (auto _ : state)
        d.setInteger(key, ++n);
    state.counters["keys"] = static_cast<double>(d.keys().size());
    if (!d.synchronize()) state.SkipWithError("the defaults file could not be written");
}

// A pause click on the main menu: the six changes of a timed pause in their order, with the
// synchronize that follows the pause flag when `synchronize` is set.
void pauseClick(benchmark::State& state, bool synchronize) {
    JsonFileUserDefaults& d = *fixture(static_cast<int>(state.range(0))).defaults;
    double until = 0;
    for (auto _ : state) {
        d.setBool(QStringLiteral("Nimbrel.pause.savedSyncEnabled"), true);
        d.setBool(QStringLiteral("Nimbrel.pause.hasSavedSyncState"), true);
        d.setBool(QStringLiteral("Nimbrel.settings.syncEnabled"), false);
        d.setBool(QStringLiteral("Nimbrel.globalPauseActive"), true);
        if (synchronize) d.synchronize();
        d.setDouble(QStringLiteral("Nimbrel.pauseUntilTimestamp"), until += 300);
        d.setBool(QStringLiteral("Nimbrel.isPausedIndefinitely"), false);
    }
    if (!d.synchronize()) state.SkipWithError("the defaults file could not be written");
}

void BM_DefaultsPauseSixChanges(benchmark::State& state) {
    pauseClick(state, false);
}

void BM_DefaultsPauseClickWithSynchronize(benchmark::State& state) {
    pauseClick(state, true);
}

void BM_DefaultsLoad(benchmark::State& state) {
    const QString path = fixture().path;
    for (auto _ : state) {
        JsonFileUserDefaults d(path);
        benchmark::DoNotOptimize(d.keys().size());
    }
}

void BM_InMemoryDefaultsWrite(benchmark::State& state) {
    InMemoryUserDefaults d;
    for (int i = 0; i < kKeys; ++i)
        d.setInteger(keyName(i), i);
    const QString key = keyName(0);
    qint64 n = 0;
    for (auto _ : state)
        d.setInteger(key, ++n);
}

} // namespace

BENCHMARK(BM_DefaultsRead);
// With as many keys as the program itself keeps, and with 10,000.
BENCHMARK(BM_DefaultsWrite)->Arg(50)->Arg(kKeys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultsPauseSixChanges)->Arg(50)->Arg(kKeys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultsPauseClickWithSynchronize)->Arg(50)->Arg(kKeys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultsLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InMemoryDefaultsWrite);

BENCHMARK_MAIN();
