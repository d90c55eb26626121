#include "platform/local/TerminationSignals.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <vector>

using namespace nimbrel;

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

void (*currentHandler(int number))(int) {
    struct sigaction now {};
    ::sigaction(number, nullptr, &now);
    return now.sa_handler;
}

} // namespace

// The handlers before may be any: under nohup, SIGHUP is ignored from the start.
TEST(TerminationSignals, EachSignalBecomesACallOnTheLoopAndTheOldHandlersComeBack) {
    ensureApplication();
    const int watched[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    std::vector<void (*)(int)> before;
    for (int number : watched)
        before.push_back(currentHandler(number));
    std::vector<int> received;
    {
        TerminationSignals signalsHandled([&](int number) { received.push_back(number); });
        ASSERT_TRUE(signalsHandled.isActive());
        TerminationSignals second([](int) {});
        EXPECT_FALSE(second.isActive()); // one at a time

        ASSERT_EQ(::raise(SIGTERM), 0);
        ASSERT_EQ(::raise(SIGINT), 0);
        ASSERT_EQ(::raise(SIGHUP), 0);
        ASSERT_EQ(::raise(SIGPIPE), 0); // ignored: the process goes on
        EXPECT_TRUE(received.empty());  // nothing runs inside a handler
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (received.size() < 3 && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
    for (size_t i = 0; i < std::size(watched); ++i)
        EXPECT_EQ(currentHandler(watched[i]), before[i]) << watched[i];
}
