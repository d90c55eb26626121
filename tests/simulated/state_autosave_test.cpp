#include "SimFixture.h"

#include "platform/Files.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <condition_variable>
#include <mutex>

namespace nimbrel::sim::testing {
namespace {

// The states written to "state.json", seen on the writer's thread as each is about to land.
class StateWrites {
  public:
    StateWrites() {
        setAtomicWriteHookForTesting([this](const QString& temporary) {
            if (!temporary.contains(QStringLiteral("state.json"))) return;
            QFile f(temporary);
            if (!f.open(QIODevice::ReadOnly)) return;
            std::lock_guard lock(mutex_);
            states_.push_back(QJsonDocument::fromJson(f.readAll()).object());
            landed_.notify_all();
        });
    }
    ~StateWrites() { setAtomicWriteHookForTesting({}); }
    // Waits (boundedly) until `count` states were written; answers them.
    std::vector<QJsonObject> waitFor(size_t count) {
        std::unique_lock lock(mutex_);
        landed_.wait_for(lock, std::chrono::seconds(5), [&] { return states_.size() >= count; });
        return states_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable landed_;
    std::vector<QJsonObject> states_;
};

using SimStateAutosave = SimTest;

TEST_F(SimStateAutosave, ABurstOfChangesIsSavedOnceAfterTheDelayAndWhatWaitsWhenItGoes) {
    StateWrites writes;
    {
        SimulatedPlatform running(scheduler, scheduler, dir.path() + QStringLiteral("/Running"));
        running.saveChangesAutomatically(0.5);
        running.mac().setTrusted(false);
        scheduler.advance(0.3);
        running.mac().setTrusted(true);
        running.mac().setTrusted(false);
        scheduler.advance(0.19);
        running.waitForAutomaticSaves();
        EXPECT_TRUE(writes.waitFor(0).empty()); // nothing is handed over before the delay
        scheduler.advance(0.01);
        std::vector<QJsonObject> states = writes.waitFor(1);
        ASSERT_EQ(states.size(), 1u);
        EXPECT_FALSE(states[0].value(QStringLiteral("trusted")).toBool()); // the burst's last state

        running.mac().setTrusted(true); // its save is still to come when the Mac goes
    }
    std::vector<QJsonObject> states = writes.waitFor(2);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_TRUE(states[1].value(QStringLiteral("trusted")).toBool());
    SimulatedPlatform reopened(scheduler, scheduler, dir.path() + QStringLiteral("/Running"));
    EXPECT_TRUE(reopened.restoredFromDisk());
    EXPECT_TRUE(reopened.mac().isTrusted());
}

} // namespace
} // namespace nimbrel::sim::testing
