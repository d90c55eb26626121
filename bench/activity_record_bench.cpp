// Recording one activity into a history of 1,000, 10,000 and 100,000 entries (up to 30 days of
// very heavy use).
//
// BM_RecordActivity/spacing_ms:<ms>/entries:<n>: the main thread's cost of one record through
// the one record call: the entry reaching the store and, when its save falls due, the hand-off
// of the history to the worker thread that writes it, as in the program. At 250 ms apart every
// record gets a save of its own; at 10 ms the saves of 25 records are gathered into one. Before
// each record the worker has finished, as it has in use. Prints the median, the 99th percentile
// and the worst record, elapsed and in the main thread's processor time.
// BM_RewriteHistory/<n>: one whole-file write of the history (encode + atomic replace), which
// the worker pays after a prune (once a day) or when it cannot add to the file in place.
// BM_AddToHistoryFile/<n>: what the worker pays per gathered write: the new entries added in
// place.
// BM_LoadHistory/<n>: the store made over the file: read, decoded, indexed.

#include "activity/ActivityHistoryFile.h"
#include "activity/ActivityRecorder.h"
#include "activity/ActivityStore.h"
#include "platform/Files.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"

#include <QTemporaryDir>

#include "MedianReporter.h"
#include "ProcessorTime.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

using namespace nimbrel;
using nimbrel::bench::percentile;
using nimbrel::bench::threadCpuSeconds;

namespace {

const Date kNow{794836800.0}; // 2026-03-10 12:00 UTC

// Virtual time on the main thread, but background work on a real worker thread.
class WorkerScheduler final : public Scheduler, public Clock {
  public:
    WorkerScheduler() : worker_([this] { run(); }) {}
    ~WorkerScheduler() override {
        drain();
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }
    Date now() const override { return time_.now(); }
    WorkHandle after(double d, std::function<void()> w) override { return time_.after(d, std::move(w)); }
    WorkHandle every(double i, std::function<void()> w) override { return time_.every(i, std::move(w)); }
    void postFromAnyThread(std::function<void()> w) override { time_.postFromAnyThread(std::move(w)); }
    bool callOnMainThreadAndWait(std::function<void()> w) override {
        return time_.callOnMainThreadAndWait(std::move(w));
    }
    void runInBackground(std::function<void()> work, std::function<void()> then) override {
        {
            std::lock_guard lock(mutex_);
            ++outstanding_;
            queue_.push_back([this, work = std::move(work), then = std::move(then)] {
                work();
                time_.postFromAnyThread(then);
            });
        }
        wake_.notify_all();
    }
    void advance(double seconds) { time_.advance(seconds); }
    // Waits for every background write, then runs their completions.
    void drain() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return outstanding_ == 0; });
        lock.unlock();
        time_.runUntilIdle();
    }

  private:
    void run() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
                if (queue_.empty()) return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            job();
            {
                std::lock_guard lock(mutex_);
                --outstanding_;
            }
            idle_.notify_all();
        }
    }

    VirtualScheduler time_{kNow};
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<std::function<void()>> queue_;
    int outstanding_ = 0;
    bool stop_ = false;
    std::thread worker_;
};

struct Bench {
    QTemporaryDir dir;
    WorkerScheduler scheduler;
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    Platform platform;
    const int historySize;

    explicit Bench(int historySize) : historySize(historySize) {
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.path());
        Platform::install(&platform);
        auto& store = NimbrelActivityStore::shared();
        // Distinct entries spread over the last 29 days.
        for (int i = 0; i < historySize; ++i)
            store.add({Uuid::random(), static_cast<NimbrelActivityType>(i % 6), QStringLiteral("Rule Matched"),
                       QStringLiteral("Rule %1 opened its websites in Safari").arg(i),
                       kNow.addingSeconds(-29.0 * 86400 * (historySize - i) / historySize)});
        store.flush();
    }
    ~Bench() {
        scheduler.drain();
        resetSharedInstances();
        Platform::install(nullptr);
    }
};

void BM_RecordActivity(benchmark::State& state) {
    Bench bench(int(state.range(1)));
    const double spacing = double(state.range(0)) / 1000;
    // Elapsed time, and the main thread's own processor time, which leaves out the waits for a
    // core on a busy machine.
    std::vector<double> micros, cpuMicros;
    micros.reserve(size_t(state.max_iterations));
    cpuMicros.reserve(size_t(state.max_iterations));
    int n = 0;
    for (auto _ : state) {
        bench.scheduler.drain(); // the previous save is written, as it is long before the next record
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        recordNimbrelActivity(bench.platform, NimbrelActivityType::rule, QStringLiteral("Rule Matched"),
                              QStringLiteral("Record %1").arg(n++));
        bench.scheduler.advance(spacing); // the entry reaches the store; its save may fall due
        cpuMicros.push_back((threadCpuSeconds() - cpuStart) * 1e6);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        micros.push_back(elapsed.count() * 1e6);
    }
    // After the timed loop: every recorded entry must be in the store and on disk.
    bench.scheduler.advance(1);
    bench.scheduler.drain();
    const auto& store = NimbrelActivityStore::shared();
    state.counters["entries"] = static_cast<double>(store.entries().size());
    if (static_cast<int>(store.entries().size()) != bench.historySize + n) state.SkipWithError("an entry was lost");
    NimbrelActivityStore reloaded(bench.platform);
    if (reloaded.entries().size() != store.entries().size()) state.SkipWithError("an entry was not written");
    state.counters["median_us"] = percentile(micros, 0.5);
    state.counters["p99_us"] = percentile(micros, 0.99);
    state.counters["worst_us"] = percentile(micros, 1);
    state.counters["cpu_median_us"] = percentile(cpuMicros, 0.5);
    state.counters["cpu_p99_us"] = percentile(cpuMicros, 0.99);
    state.counters["cpu_worst_us"] = percentile(cpuMicros, 1);
}
BENCHMARK(BM_RecordActivity)
    ->ArgNames({"spacing_ms", "entries"})
    ->Args({250, 1000})
    ->Args({250, 10000})
    ->Args({250, 100000})
    ->Args({10, 10000})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(400);

// The store's history again, for writing it apart from the store.
ActivityHistory copyOfHistory() {
    ActivityHistory history;
    history.assign(NimbrelActivityStore::shared().entries());
    return history;
}

void BM_RewriteHistory(benchmark::State& state) {
    Bench bench(int(state.range(0)));
    const ActivityHistory history = copyOfHistory();
    const QString path = bench.dir.filePath(QStringLiteral("rewritten.json"));
    for (auto _ : state) {
        ActivityHistoryFile file(path); // knows nothing of the file: replaces it whole
        if (!file.write(history.snapshot(), nullptr)) state.SkipWithError("write failed");
    }
    state.counters["entries"] = static_cast<double>(history.entries().size());
}
BENCHMARK(BM_RewriteHistory)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One entry added to the file of a history of <n> entries, as the worker adds a record's.
void BM_AddToHistoryFile(benchmark::State& state) {
    Bench bench(int(state.range(0)));
    ActivityHistory history = copyOfHistory();
    ActivityHistoryFile file(bench.dir.filePath(QStringLiteral("added.json")));
    file.write(history.snapshot(), nullptr);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        history.append({Uuid::random(), NimbrelActivityType::rule, QStringLiteral("Rule Matched"),
                        QStringLiteral("Record %1").arg(n++), kNow});
        state.ResumeTiming();
        if (!file.write(history.snapshot(), nullptr)) state.SkipWithError("write failed");
    }
    if (file.lastChange() != ActivityHistoryFile::Change::added) state.SkipWithError("the file was replaced");
}
BENCHMARK(BM_AddToHistoryFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The store made over a history file of <n> entries, as the program's first record makes it:
// reading, decoding, indexing.
void BM_LoadHistory(benchmark::State& state) {
    Bench bench(int(state.range(0)));
    for (auto _ : state) {
        NimbrelActivityStore loaded(bench.platform);
        if (int(loaded.entries().size()) != bench.historySize) state.SkipWithError("the history did not load");
    }
}
BENCHMARK(BM_LoadHistory)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& [name, run] : reporter.byName) {
        if (name.rfind("BM_RecordActivity/", 0) != 0) continue;
        const auto counter = [&run = run](const char* key) { return double(run.counters.at(key)); };
        std::printf("%s: median %.1f us, 99th percentile %.1f us, worst %.1f us; processor time: median %.1f us, "
                    "99th percentile %.1f us, worst %.1f us (aim: median < 100 us, p99 < 200 us)\n",
                    name.c_str() + 18, counter("median_us"), counter("p99_us"), counter("worst_us"),
                    counter("cpu_median_us"), counter("cpu_p99_us"), counter("cpu_worst_us"));
    }
    benchmark::Shutdown();
    return 0;
}
