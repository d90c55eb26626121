#pragma once

#include "platform/Scheduler.h"

#include <QObject>

namespace nimbrel {

class SystemClock final : public Clock {
public:
    Date now() const override;
};

// The program's scheduler: Qt's event loop on the main thread.
class EventLoopScheduler final : public Scheduler {
public:
    WorkHandle after(double delaySeconds, std::function<void()> work) override;
    WorkHandle every(double intervalSeconds, std::function<void()> work) override;
    void postFromAnyThread(std::function<void()> work) override;
    void runInBackground(std::function<void()> work, std::function<void()> then) override;
};

} // namespace nimbrel
