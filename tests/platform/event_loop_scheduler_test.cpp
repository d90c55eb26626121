#include "platform/local/EventLoopScheduler.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <thread>

using namespace nimbrel;

namespace {

// One application object for the whole test program; Qt allows only one at a time.
QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}

// Runs the event loop until `done` or two seconds pass; returns whether `done` came true.
bool spinUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

class EventLoopSchedulerTest : public ::testing::Test {
  protected:
    void SetUp() override { application(); }
};

} // namespace

TEST_F(EventLoopSchedulerTest, RunsWorkInOrderOfDueTime) {
    EventLoopScheduler scheduler;
    QStringList order;
    scheduler.after(0.04, [&] { order << "late"; });
    scheduler.after(0.01, [&] { order << "soon"; });
    scheduler.post([&] { order << "posted 1"; });
    scheduler.post([&] { order << "posted 2"; });
    EXPECT_TRUE(order.isEmpty()); // nothing runs inside the call that schedules it
    ASSERT_TRUE(spinUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (QStringList{"posted 1", "posted 2", "soon", "late"}));
}

TEST_F(EventLoopSchedulerTest, WaitsAtLeastTheDelay) {
    EventLoopScheduler scheduler;
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point ranAt;
    bool ran = false;
    scheduler.after(0.05, [&] {
        ranAt = std::chrono::steady_clock::now();
        ran = true;
    });
    ASSERT_TRUE(spinUntil([&] { return ran; }));
    EXPECT_GE(std::chrono::duration<double>(ranAt - start).count(), 0.049);
}

TEST_F(EventLoopSchedulerTest, CancelledWorkNeverRuns) {
    EventLoopScheduler scheduler;
    bool delayedRan = false, postedRan = false, markerRan = false;
    WorkHandle delayed = scheduler.after(0.01, [&] { delayedRan = true; });
    WorkHandle posted = scheduler.post([&] { postedRan = true; });
    delayed->cancel();
    posted->cancel();
    delayed->cancel(); // idempotent
    EXPECT_TRUE(delayed->isCancelled());
    scheduler.after(0.03, [&] { markerRan = true; });
    ASSERT_TRUE(spinUntil([&] { return markerRan; }));
    EXPECT_FALSE(delayedRan);
    EXPECT_FALSE(postedRan);
}

TEST_F(EventLoopSchedulerTest, DroppedHandleStillRuns) {
    EventLoopScheduler scheduler;
    bool ran = false;
    {
        (void)scheduler.after(0.01, [&] { ran = true; });
    }
    EXPECT_TRUE(spinUntil([&] { return ran; }));
}

TEST_F(EventLoopSchedulerTest, RepeatingTimerRunsUntilItCancelsItself) {
    EventLoopScheduler scheduler;
    int ticks = 0;
    WorkHandle timer;
    timer = scheduler.every(0.005, [&] {
        if (++ticks == 3) timer->cancel();
    });
    ASSERT_TRUE(spinUntil([&] { return timer->isCancelled(); }));
    bool later = false;
    scheduler.after(0.03, [&] { later = true; });
    ASSERT_TRUE(spinUntil([&] { return later; }));
    EXPECT_EQ(ticks, 3);
}

TEST_F(EventLoopSchedulerTest, PostsFromOtherThreadsRunOnTheMainThread) {
    EventLoopScheduler scheduler;
    std::atomic<int> count{0};
    QThread* ranOn = nullptr;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i)
            scheduler.postFromAnyThread([&] {
                ranOn = QThread::currentThread();
                ++count;
            });
    });
    worker.join();
    ASSERT_TRUE(spinUntil([&] { return count == 50; }));
    EXPECT_EQ(ranOn, application().thread());
}

TEST_F(EventLoopSchedulerTest, BackgroundWorkHandsItsResultBack) {
    EventLoopScheduler scheduler;
    std::atomic<bool> workedOffMain{false};
    int result = 0;
    QThread* thenOn = nullptr;
    bool done = false;
    scheduler.runInBackground(
        [&] {
            workedOffMain = QThread::currentThread() != application().thread();
            result = 42;
        },
        [&] {
            thenOn = QThread::currentThread();
            done = true;
        });
    ASSERT_TRUE(spinUntil([&] { return done; }));
    EXPECT_TRUE(workedOffMain);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(thenOn, application().thread());
}

TEST_F(EventLoopSchedulerTest, PendingWorkDiesWithTheScheduler) {
    bool ran = false;
    {
        EventLoopScheduler scheduler;
        scheduler.post([&] { ran = true; });
        scheduler.after(0.001, [&] { ran = true; });
        scheduler.every(0.001, [&] { ran = true; });
    }
    // Work due after theirs has run, so the gone timers would have been due.
    EventLoopScheduler later;
    bool markerRan = false;
    later.after(0.01, [&] { markerRan = true; });
    ASSERT_TRUE(spinUntil([&] { return markerRan; }));
    EXPECT_FALSE(ran);
}

// stop() returns only once the background work that runs has ended. The work waits for the
// stop to return (for at most a tenth of a second): if it ends first, stop() waited for it.
TEST_F(EventLoopSchedulerTest, StopReturnsOnlyAfterTheRunningBackgroundWorkHasEnded) {
    EventLoopScheduler scheduler;
    std::mutex mutex;
    std::condition_variable changed;
    bool stopReturned = false;
    std::latch started(1);
    std::atomic<bool> endedBeforeStopReturned{false};
    scheduler.runInBackground(
        [&] {
            started.count_down();
            std::unique_lock lock(mutex);
            const bool sawStopReturn =
                changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return stopReturned; });
            endedBeforeStopReturned = !sawStopReturn;
        },
        {});
    started.wait();
    scheduler.stop();
    {
        std::lock_guard lock(mutex);
        stopReturned = true;
    }
    changed.notify_all();
    EXPECT_TRUE(endedBeforeStopReturned);
}

// A worker's call to the main thread, and how each way of ending the main thread's part ends
// its wait: the call fails, its work never runs, and the worker goes on.
TEST_F(EventLoopSchedulerTest, AWorkersWaitForTheMainThreadEndsWhenTheMainThreadStops) {
    enum class End { answered, stoppedWhileWaiting, stoppedBefore, loopReturnedBefore, schedulerGone };
    for (End end :
         {End::answered, End::stoppedWhileWaiting, End::stoppedBefore, End::loopReturnedBefore, End::schedulerGone}) {
        SCOPED_TRACE(static_cast<int>(end));
        auto scheduler = std::make_unique<EventLoopScheduler>();
        if (end == End::stoppedBefore) scheduler->stop();
        if (end == End::loopReturnedBefore) {
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
            QCoreApplication::exec();
        }
        std::atomic<bool> ran{false};
        std::atomic<bool> asking{false};
        std::atomic<int> answer{-1};
        EventLoopScheduler* asked = scheduler.get(); // it waits for its workers before it goes
        scheduler->runInBackground(
            [&, asked] {
                asking = true;
                const bool done =
                    asked->callOnMainThreadAndWait([&] { ran = QThread::currentThread() == application().thread(); });
                answer = done ? 1 : 0;
            },
            {});
        switch (end) {
        case End::answered:
            EXPECT_TRUE(spinUntil([&] { return answer != -1; }));
            break;
        case End::stoppedWhileWaiting:
            while (!asking)
                std::this_thread::yield();
            scheduler->stop(); // released whether the call is on its way or waiting
            break;
        case End::schedulerGone:
            while (!asking)
                std::this_thread::yield();
            scheduler.reset();
            break;
        default:
            break;
        }
        scheduler.reset();                 // waits for the worker: never hangs
        QCoreApplication::processEvents(); // a call abandoned in the queue does not run late
        EXPECT_EQ(answer, end == End::answered ? 1 : 0);
        EXPECT_EQ(ran, end == End::answered);
    }
}

TEST(SystemClock, TellsTheTimeOfDay) {
    const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    const Date now = SystemClock().now();
    const double after = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    EXPECT_GE(now.unixSeconds(), before - 0.002);
    EXPECT_LE(now.unixSeconds(), after + 0.002);
}
