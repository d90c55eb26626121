#include "platform/VirtualScheduler.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace nimbrel;

TEST(VirtualScheduler, RunsDueWorkByTimeThenBySchedulingOrder) {
    VirtualScheduler s(Date{100});
    QStringList order;
    s.after(0.4, [&] { order << "0.4"; });
    s.after(0.12, [&] { order << "0.12 first"; });
    s.post([&] { order << "posted"; });
    s.after(0.12, [&] { order << "0.12 second"; });
    s.after(-5, [&] { order << "negative is now"; });
    EXPECT_TRUE(order.isEmpty());
    EXPECT_EQ(s.pendingCount(), 5u);
    EXPECT_EQ(s.nextDueIn(), 0.0);

    s.advance(0.12);
    EXPECT_EQ(order, (QStringList{"posted", "negative is now", "0.12 first", "0.12 second"}));
    EXPECT_EQ(s.now(), Date{100.12});
    ASSERT_TRUE(s.nextDueIn());
    EXPECT_NEAR(*s.nextDueIn(), 0.28, 1e-9);

    s.advance(0.279);
    EXPECT_EQ(order.size(), 4);
    s.advance(0.001);
    EXPECT_EQ(order.last(), "0.4");
    EXPECT_EQ(s.pendingCount(), 0u);
    EXPECT_FALSE(s.nextDueIn());
}

TEST(VirtualScheduler, WorkSeesTheClockAtItsDueTime) {
    VirtualScheduler s(Date{0});
    std::vector<double> seen;
    s.after(1, [&] { seen.push_back(s.now().secondsSinceReferenceDate); });
    s.after(2.5, [&] { seen.push_back(s.now().secondsSinceReferenceDate); });
    s.advance(10);
    EXPECT_EQ(seen, (std::vector<double>{1, 2.5}));
    EXPECT_EQ(s.now(), Date{10});
}

TEST(VirtualScheduler, CancelledWorkDoesNotRun) {
    VirtualScheduler s;
    bool ran = false;
    WorkHandle h = s.after(1, [&] { ran = true; });
    EXPECT_FALSE(h->isCancelled());
    h->cancel();
    h->cancel();
    EXPECT_TRUE(h->isCancelled());
    EXPECT_EQ(s.pendingCount(), 0u);
    s.advance(2);
    EXPECT_FALSE(ran);

    // Work may cancel work due at the same moment, scheduled after it.
    int count = 0;
    WorkHandle second;
    s.after(1, [&] {
        ++count;
        second->cancel();
    });
    second = s.after(1, [&] { ++count; });
    s.advance(1);
    EXPECT_EQ(count, 1);
}

TEST(VirtualScheduler, DroppingTheHandleDoesNotCancel) {
    VirtualScheduler s;
    bool ran = false;
    (void)s.after(1, [&] { ran = true; });
    s.advance(1);
    EXPECT_TRUE(ran);
}

TEST(VirtualScheduler, WorkReleasesItsCapturesWhenDoneOrCancelled) {
    VirtualScheduler s;
    auto owner = std::make_shared<int>(1);
    std::weak_ptr<int> weak = owner;
    WorkHandle ran = s.after(1, [owner] {});
    WorkHandle cancelled = s.after(5, [owner] {});
    owner.reset();
    s.advance(1);
    EXPECT_FALSE(weak.expired()); // still held by the pending one
    cancelled->cancel();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(ran->isCancelled()); // finished work reads as done
}

TEST(VirtualScheduler, RepeatingTimerFiresEveryIntervalUntilCancelled) {
    VirtualScheduler s(Date{0});
    std::vector<double> ticks;
    WorkHandle timer = s.every(15, [&] { ticks.push_back(s.now().secondsSinceReferenceDate); });
    s.advance(14.9);
    EXPECT_TRUE(ticks.empty());
    s.advance(60.1);
    EXPECT_EQ(ticks, (std::vector<double>{15, 30, 45, 60, 75}));
    timer->cancel();
    s.advance(60);
    EXPECT_EQ(ticks.size(), 5u);

    // A timer that cancels itself from inside its own tick.
    int n = 0;
    WorkHandle self;
    self = s.every(1, [&] {
        if (++n == 3) self->cancel();
    });
    s.advance(10);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(s.pendingCount(), 0u);
}

TEST(VirtualScheduler, WorkScheduledByWorkRunsInTheSameAdvanceWhenDue) {
    VirtualScheduler s(Date{0});
    QStringList order;
    s.after(1, [&] {
        order << "outer";
        s.post([&] { order << "posted at 1"; });
        s.after(0.5, [&] {
            order << "at 1.5";
            s.after(0.5, [&] { order << "at 2"; });
        });
        s.after(5, [&] { order << "at 6"; });
    });
    s.after(1.5, [&] { order << "scheduled earlier for 1.5"; });
    s.advance(2);
    EXPECT_EQ(order, (QStringList{"outer", "posted at 1", "scheduled earlier for 1.5", "at 1.5", "at 2"}));
    EXPECT_EQ(s.pendingCount(), 1u);
    s.advance(4);
    EXPECT_EQ(order.last(), "at 6");
}

TEST(VirtualScheduler, RunUntilIdleRunsOnlyWhatIsDueNow) {
    VirtualScheduler s(Date{0});
    int now = 0, later = 0;
    s.post([&] {
        ++now;
        s.post([&] { ++now; });
    });
    s.after(0.001, [&] { ++later; });
    s.runUntilIdle();
    EXPECT_EQ(now, 2);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(s.now(), Date{0});
}

TEST(VirtualScheduler, AdvanceToNeverGoesBack) {
    VirtualScheduler s(Date{50});
    int ran = 0;
    s.after(10, [&] { ++ran; });
    s.advanceTo(Date{40});
    EXPECT_EQ(s.now(), Date{50});
    s.advanceTo(Date{60});
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(s.now(), Date{60});
}

TEST(VirtualScheduler, WorkThatAdvancesTheClockItselfIsNotUndone) {
    // A modal loop inside work moves time on; the advance around it must not take it back.
    VirtualScheduler s(Date{0});
    std::vector<double> ran;
    s.after(1, [&] {
        s.after(5, [&] { ran.push_back(s.now().secondsSinceReferenceDate); });
        s.advance(10);
    });
    s.advance(2);
    EXPECT_EQ(ran, std::vector<double>{6});
    EXPECT_EQ(s.now(), Date{11});
}

TEST(VirtualScheduler, PostsFromOtherThreadsRunOnTheNextAdvance) {
    VirtualScheduler s;
    int count = 0;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            s.postFromAnyThread([&] { ++count; });
    });
    worker.join();
    EXPECT_EQ(count, 0);
    s.runUntilIdle();
    EXPECT_EQ(count, 100);
}

TEST(VirtualScheduler, BackgroundResultArrivesOnALaterTurn) {
    VirtualScheduler s(Date{0}, BackgroundWork::atOnce);
    int result = 0;
    bool delivered = false;
    std::thread::id ranOn;
    s.runInBackground(
        [&] {
            result = 7;
            ranOn = std::this_thread::get_id();
        },
        [&] { delivered = true; });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(delivered);
    s.runUntilIdle();
    EXPECT_TRUE(delivered);
}

namespace {

// Opened once; a bounded wait for it, so that a fault fails the test instead of hanging it.
class Gate {
  public:
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    bool waitOpen() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

struct ThreadedCase {
    const char* name;
    std::function<void(VirtualScheduler&)> check;
};

const ThreadedCase kThreadedCases[] = {
    {"work runs on another thread and its result on the main thread, at the next advance",
     [](VirtualScheduler& s) {
         const auto main = std::this_thread::get_id();
         Gate done;
         std::thread::id workOn, thenOn;
         s.runInBackground(
             [&] {
                 workOn = std::this_thread::get_id();
                 done.open();
             },
             [&] { thenOn = std::this_thread::get_id(); });
         ASSERT_TRUE(done.waitOpen());
         EXPECT_NE(workOn, main);
         EXPECT_EQ(thenOn, std::thread::id()) << "the result waits for the test to advance";
         EXPECT_EQ(s.nextDueIn(), 0.0);
         s.runUntilIdle();
         EXPECT_EQ(thenOn, main);
     }},
    {"a running worker counts as pending and due now",
     [](VirtualScheduler& s) {
         Gate release;
         s.runInBackground([&] { release.waitOpen(); }, {});
         EXPECT_EQ(s.pendingCount(), 1u);
         EXPECT_EQ(s.nextDueIn(), 0.0);
         release.open();
         s.runUntilIdle();
         EXPECT_EQ(s.pendingCount(), 0u);
         EXPECT_EQ(s.nextDueIn(), std::nullopt);
     }},
    {"time waits for a worker's result, and work due now runs while the worker works",
     [](VirtualScheduler& s) {
         QStringList ran;
         Gate release;
         s.runInBackground([&] { release.waitOpen(); },
                           [&] { ran << QStringLiteral("result at %1").arg(s.now().secondsSinceReferenceDate); });
         s.post([&] {
             ran << QStringLiteral("post");
             release.open();
         });
         s.after(1, [&] { ran << QStringLiteral("timer at %1").arg(s.now().secondsSinceReferenceDate); });
         s.advance(2);
         EXPECT_EQ(ran, (QStringList{"post", "result at 0", "timer at 1"}));
     }},
    {"work that a result starts is waited for too",
     [](VirtualScheduler& s) {
         QStringList ran;
         s.runInBackground({}, [&] {
             ran << QStringLiteral("first");
             s.runInBackground({}, [&] { ran << QStringLiteral("second"); });
         });
         s.after(1, [&] { ran << QStringLiteral("timer"); });
         s.advance(1);
         EXPECT_EQ(ran, (QStringList{"first", "second", "timer"}));
     }},
    {"two workers run side by side",
     [](VirtualScheduler& s) {
         Gate first, second;
         std::atomic<bool> bothRan{true};
         s.runInBackground(
             [&] {
                 first.open();
                 if (!second.waitOpen()) bothRan = false;
             },
             {});
         s.runInBackground(
             [&] {
                 second.open();
                 if (!first.waitOpen()) bothRan = false;
             },
             {});
         s.runUntilIdle();
         EXPECT_TRUE(bothRan);
     }},
    {"a worker's call to the main thread is served while an advance waits for it",
     [](VirtualScheduler& s) {
         std::thread::id calledOn;
         bool answered = false;
         s.runInBackground(
             [&] { answered = s.callOnMainThreadAndWait([&] { calledOn = std::this_thread::get_id(); }); }, {});
         s.runUntilIdle();
         EXPECT_TRUE(answered);
         EXPECT_EQ(calledOn, std::this_thread::get_id());
     }},
};

TEST(VirtualScheduler, BackgroundWorkOnThreads) {
    for (const ThreadedCase& c : kThreadedCases) {
        SCOPED_TRACE(c.name);
        VirtualScheduler s(Date{0}, BackgroundWork::onThreads);
        c.check(s);
    }
}

TEST(VirtualScheduler, DestructionWaitsForTheWorkersAndDropsTheirResults) {
    std::atomic<bool> finished{false};
    bool delivered = false;
    bool answered = true;
    Gate started; // outlives the workers, which open it
    {
        VirtualScheduler s(Date{0}, BackgroundWork::onThreads);
        s.runInBackground(
            [&] {
                started.open();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                finished = true;
            },
            [&] { delivered = true; });
        // A worker still waiting for the main thread is let go, its call failed.
        s.runInBackground([&] { answered = s.callOnMainThreadAndWait([] {}); }, {});
        ASSERT_TRUE(started.waitOpen());
    }
    EXPECT_TRUE(finished);
    EXPECT_FALSE(delivered);
    EXPECT_FALSE(answered);
}

TEST(VirtualScheduler, TheEnvironmentChoosesTheBackgroundOfTheSchedulersMadeWithoutOne) {
    const char* saved = std::getenv("NIMBREL_BACKGROUND_THREADS");
    const std::string previous = saved ? saved : "";
    const struct {
        const char* value;
        BackgroundWork expected;
    } rows[] = {{"1", BackgroundWork::onThreads}, {"0", BackgroundWork::atOnce}, {nullptr, BackgroundWork::atOnce}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value ? row.value : "unset");
        if (row.value)
            setenv("NIMBREL_BACKGROUND_THREADS", row.value, 1);
        else
            unsetenv("NIMBREL_BACKGROUND_THREADS");
        EXPECT_EQ(VirtualScheduler().backgroundWork(), row.expected);
    }
    if (saved)
        setenv("NIMBREL_BACKGROUND_THREADS", previous.c_str(), 1);
    else
        unsetenv("NIMBREL_BACKGROUND_THREADS");
}

} // namespace

namespace {
struct Owner {
    int calls = 0;
};
struct LifetimeOwner {
    Lifetime lifetime;
    int* calls;
    std::function<void()> step() {
        return lifetime.guard([this] { ++*calls; });
    }
};
} // namespace

TEST(VirtualScheduler, DelayedStepsDoNothingOnceTheirOwnerIsGone) {
    VirtualScheduler s;
    auto owner = std::make_shared<Owner>();
    s.after(1, weakly(owner, [](Owner& o) { ++o.calls; }));
    s.advance(1);
    EXPECT_EQ(owner->calls, 1);
    s.after(1, weakly(owner, [](Owner& o) { ++o.calls; }));
    std::weak_ptr<Owner> weak = owner;
    owner.reset();
    EXPECT_TRUE(weak.expired()); // the pending step does not keep it alive
    s.advance(1);                // and does nothing

    int calls = 0;
    auto guarded = std::make_unique<LifetimeOwner>(LifetimeOwner{{}, &calls});
    s.after(1, guarded->step());
    s.after(2, guarded->step());
    s.advance(1);
    guarded.reset();
    s.advance(1);
    EXPECT_EQ(calls, 1);
}

TEST(VirtualScheduler, SleepMovesTheClockAndDelaysAllPendingWorkByAsMuch) {
    VirtualScheduler s(Date{0});
    QStringList ran;
    s.after(2, [&] { ran << QStringLiteral("once at %1").arg(s.now().secondsSinceReferenceDate); });
    auto timer = s.every(5, [&] { ran << QStringLiteral("tick at %1").arg(s.now().secondsSinceReferenceDate); });
    s.advance(1);
    s.sleep(100);
    EXPECT_TRUE(ran.isEmpty()) << "nothing runs while asleep";
    EXPECT_EQ(s.now(), Date{101});
    EXPECT_EQ(s.nextDueIn(), 1.0);
    s.advance(5);
    EXPECT_EQ(ran, (QStringList{"once at 102", "tick at 105"}));
    s.sleep(0);
    s.sleep(-3);
    EXPECT_EQ(s.now(), Date{106});
    timer->cancel();
}
