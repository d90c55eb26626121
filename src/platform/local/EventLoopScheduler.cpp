#include "platform/local/EventLoopScheduler.h"

#include "platform/MainThreadCalls.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>

namespace nimbrel {

Date SystemClock::now() const {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<microseconds>(system_clock::now().time_since_epoch());
    return Date::fromUnix(static_cast<double>(sinceEpoch.count()) / 1e6);
}

struct EventLoopScheduler::Shared {
    std::mutex mutex;
    QObject* context = nullptr; // null once stopped
    std::thread::id mainThread = std::this_thread::get_id();
    MainThreadCalls calls;

    void post(std::function<void()> work) {
        std::lock_guard lock(mutex);
        if (context) QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
    }
};

namespace {

using Steady = std::chrono::steady_clock;

// QTimer takes an int of milliseconds; longer delays are waited for in steps.
constexpr qint64 kLongestStepMs = std::numeric_limits<int>::max() / 2;

int toTimerMs(double seconds) {
    const double ms = std::ceil(std::max(0.0, seconds) * 1000.0);
    return static_cast<int>(std::min<double>(ms, static_cast<double>(kLongestStepMs)));
}

struct TimerWork final : ScheduledWork {
    std::function<void()> work;
    QPointer<QTimer> timer;
    bool cancelled = false;

    void cancel() override {
        if (cancelled) return;
        cancelled = true;
        work = nullptr; // drop captures at once
        if (timer) {
            timer->stop();
            timer->deleteLater();
        }
    }
    bool isCancelled() const override { return cancelled; }

    void finish() {
        cancelled = true; // done: a later cancel() is a no-op
        if (timer) timer->deleteLater();
    }
};

} // namespace

EventLoopScheduler::EventLoopScheduler()
    : shared_(std::make_shared<Shared>()), context_(std::make_unique<QObject>()),
      pool_(std::make_unique<QThreadPool>()) {
    shared_->context = context_.get();
    // Nothing answers a worker once the loop has returned.
    if (QCoreApplication* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, context_.get(),
                         [shared = shared_] { shared->calls.stop(); });
}

EventLoopScheduler::~EventLoopScheduler() {
    stop();
    context_.reset(); // deletes the timers and drops queued calls to it
}

void EventLoopScheduler::stop() {
    shared_->calls.stop();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->context = nullptr;
    }
    pool_->waitForDone();
}

WorkHandle EventLoopScheduler::after(double delaySeconds, std::function<void()> work) {
    auto entry = std::make_shared<TimerWork>();
    entry->work = std::move(work);
    if (!(delaySeconds > 0)) {
        // Queued calls keep their order, so posts run first-in first-out.
        QMetaObject::invokeMethod(
            context_.get(),
            [entry] {
                if (entry->cancelled) return;
                auto run = std::move(entry->work);
                entry->finish();
                if (run) run();
            },
            Qt::QueuedConnection);
        return entry;
    }
    const auto due = Steady::now() + std::chrono::microseconds(static_cast<qint64>(std::min(delaySeconds, 1e9) * 1e6));
    auto* timer = new QTimer(context_.get());
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    entry->timer = timer;
    QObject::connect(timer, &QTimer::timeout, timer, [entry, timer, due] {
        if (entry->cancelled) return;
        const auto left = std::chrono::duration<double>(due - Steady::now()).count();
        if (left > 0.001) { // a long delay waited for in steps
            timer->start(toTimerMs(left));
            return;
        }
        auto run = std::move(entry->work);
        entry->finish();
        if (run) run();
    });
    timer->start(toTimerMs(delaySeconds));
    return entry;
}

WorkHandle EventLoopScheduler::every(double intervalSeconds, std::function<void()> work) {
    auto entry = std::make_shared<TimerWork>();
    entry->work = std::move(work);
    auto* timer = new QTimer(context_.get());
    timer->setTimerType(Qt::PreciseTimer);
    entry->timer = timer;
    QObject::connect(timer, &QTimer::timeout, timer, [entry] {
        if (entry->cancelled) return;
        auto run = entry->work; // the work may cancel its own timer
        if (run) run();
    });
    timer->start(std::max(1, toTimerMs(intervalSeconds)));
    return entry;
}

void EventLoopScheduler::postFromAnyThread(std::function<void()> work) {
    shared_->post(std::move(work));
}

bool EventLoopScheduler::callOnMainThreadAndWait(std::function<void()> work) {
    if (std::this_thread::get_id() == shared_->mainThread) {
        work();
        return true;
    }
    return shared_->calls.callAndWait([shared = shared_](std::function<void()> call) { shared->post(std::move(call)); },
                                      std::move(work));
}

void EventLoopScheduler::runInBackground(std::function<void()> work, std::function<void()> then) {
    pool_->start([shared = shared_, work = std::move(work), then = std::move(then)]() mutable {
        if (work) work();
        if (then) shared->post(std::move(then));
    });
}

} // namespace nimbrel
