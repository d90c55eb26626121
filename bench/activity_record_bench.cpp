// Recording one activity into a history of 10,000 entries (30 days of heavy use).
//
// BM_RecordActivity/<spacing ms>: the main thread's cost of one record through the one record
// call: the entry reaching the store and, when its save falls due, the hand-off of the history
// to the worker thread that writes it, as in the program. At 250 ms apart every record gets a
// save of its own; at 10 ms the saves of 25 records are gathered into one. Before each record
// the worker has finished, as it has in use (a write takes far less than the spacing). Prints
// the median and the worst record.
// BM_RewriteHistory: one whole-file write of the history (encode + atomic replace), which
// is what the worker pays per gathered write, and what a write per record would cost.

#include "activity/ActivityRecorder.h"
#include "activity/ActivityStore.h"
#include "platform/Files.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>

using namespace nimbrel;

namespace {

constexpr int kHistorySize = 10000;
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

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Bench {
    QTemporaryDir dir;
    WorkerScheduler scheduler;
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    Platform platform;

    Bench() {
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.path());
        Platform::install(&platform);
        auto& store = NimbrelActivityStore::shared();
        // 10,000 distinct entries spread over the last 29 days.
        for (int i = 0; i < kHistorySize; ++i)
            store.add({Uuid::random(), static_cast<NimbrelActivityType>(i % 6), QStringLiteral("Rule Matched"),
                       QStringLiteral("Rule %1 opened its websites in Safari").arg(i),
                       kNow.addingSeconds(-29.0 * 86400 * (kHistorySize - i) / kHistorySize)});
        store.flush();
    }
    ~Bench() {
        scheduler.drain();
        resetSharedInstances();
        Platform::install(nullptr);
    }
};

void BM_RecordActivity(benchmark::State& state) {
    Bench bench;
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
    if (static_cast<int>(store.entries().size()) != kHistorySize + n) state.SkipWithError("an entry was lost");
    NimbrelActivityStore reloaded(bench.platform);
    if (reloaded.entries().size() != store.entries().size()) state.SkipWithError("an entry was not written");
    std::sort(micros.begin(), micros.end());
    std::sort(cpuMicros.begin(), cpuMicros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["worst_us"] = micros.back();
    state.counters["cpu_median_us"] = cpuMicros[cpuMicros.size() / 2];
    state.counters["cpu_p99_us"] = cpuMicros[cpuMicros.size() * 99 / 100];
    state.counters["cpu_worst_us"] = cpuMicros.back();
}
BENCHMARK(BM_RecordActivity)->Arg(250)->Arg(10)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(400);

void BM_RewriteHistory(benchmark::State& state) {
    Bench bench;
    auto& store = NimbrelActivityStore::shared();
    for (auto _ : state) {
        if (!store.flush()) state.SkipWithError("write failed");
    }
    state.counters["entries"] = static_cast<double>(store.entries().size());
}
BENCHMARK(BM_RewriteHistory)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
