#include "ProcessScheduler.h"

#include "platform/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace nimbrel::simtool {
namespace {

TEST(ProcessScheduler, NothingAnEndedProcessScheduledRunsButTheMachineGoesOn) {
    VirtualScheduler machine(Date{0});
    QStringList ran;
    auto process = std::make_unique<ProcessScheduler>(machine);
    process->after(1, [&] { ran << "delay"; });
    process->every(0.5, [&] { ran << "tick"; });
    process->runInBackground([&] { ran << "work"; }, [&] { ran << "result"; });
    machine.after(2, [&] { ran << "machine"; });
    machine.advance(0.5);
    EXPECT_EQ(ran, (QStringList{"work", "result", "tick"}));

    process->end();
    process->postFromAnyThread([&] { ran << "posted after the end"; });
    process->after(0, [&] { ran << "scheduled after the end"; });
    process.reset();
    machine.advance(5);
    EXPECT_EQ(ran, (QStringList{"work", "result", "tick", "machine"}));
    EXPECT_EQ(machine.pendingCount(), 0u);
}

TEST(ProcessScheduler, ForgettingDoneWorkKeepsWhatIsStillPending) {
    VirtualScheduler machine(Date{0});
    ProcessScheduler process(machine);
    int ran = 0;
    auto first = process.after(10, [&] { ++ran; });
    for (int i = 0; i < 1000; ++i) {
        process.after(0, [&] { ++ran; });
        machine.advance(0);
    }
    process.end();
    machine.advance(20);
    EXPECT_EQ(ran, 1000);
    EXPECT_TRUE(first->isCancelled());
}

} // namespace
} // namespace nimbrel::simtool
