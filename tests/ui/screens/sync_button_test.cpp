#include "platform/VirtualScheduler.h"
#include "ui/screens/SyncButton.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using Kind = SyncNowOutcome::Kind;

// A sync side that answers after `seconds` with a fixed outcome.
struct FakeSync {
    VirtualScheduler& scheduler;
    SyncNowOutcome outcome;
    double seconds = 1.0;
    int calls = 0;
    SyncNowLink link() {
        return {[this](std::function<void(SyncNowOutcome)> done) {
            ++calls;
            scheduler.after(seconds, [done, o = outcome] { done(o); });
        }};
    }
};

TEST(SyncButton, RunsSyncingThenItsResultForTwoSecondsThenIdleAndIgnoresTapsMeanwhile) {
    VirtualScheduler scheduler;
    FakeSync sync{scheduler, {Kind::synced, {}}};
    int redraws = 0;
    SyncButton button(scheduler, sync.link(), [&redraws] { ++redraws; });
    EXPECT_EQ(button.title(), "Sync");
    button.start();
    EXPECT_EQ(button.state(), SyncButton::State::syncing);
    EXPECT_EQ(button.title(), QString::fromUtf8("Syncing\u2026"));
    EXPECT_FALSE(button.isEnabled());
    button.start();
    scheduler.advance(1.0);
    EXPECT_EQ(button.title(), "All Synced");
    EXPECT_EQ(button.symbol(), "checkmark");
    button.start();
    scheduler.advance(1.99);
    EXPECT_EQ(button.state(), SyncButton::State::done);
    scheduler.advance(0.02);
    EXPECT_EQ(button.state(), SyncButton::State::idle);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(sync.calls, 1);
    EXPECT_EQ(redraws, 3);
}

// "All Synced" is said only of a sync that happened and succeeded.
TEST(SyncButton, ShowsWhatTheSyncCameTo) {
    const struct {
        SyncNowOutcome outcome;
        const char* title;
        bool success;
        const char* tone;
    } cases[] = {
        {{Kind::synced, {}}, "All Synced", true, ""},
        {{Kind::syncOff, {}}, "Sync Is Off", false, "warning"},
        {{Kind::accountUnavailable, {}}, "Account Unavailable", false, "warning"},
        {{Kind::failed, "The network connection was lost."}, "Sync Failed", false, "failure"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        VirtualScheduler scheduler;
        FakeSync sync{scheduler, c.outcome, 0.0};
        SyncButton button(scheduler, sync.link(), {});
        button.start();
        scheduler.advance(0.5);
        EXPECT_EQ(button.title(), c.title);
        EXPECT_EQ(button.showsSuccess(), c.success);
        EXPECT_EQ(button.problemTone(), c.tone);
        scheduler.advance(2.0);
        EXPECT_EQ(button.title(), "Sync");
    }
}

TEST(SyncButton, AResultArrivingAfterTheScreenHasGoneIsDropped) {
    VirtualScheduler scheduler;
    FakeSync sync{scheduler, {Kind::synced, {}}};
    auto button = std::make_unique<SyncButton>(scheduler, sync.link(), [] {});
    button->start();
    button.reset();
    scheduler.advance(5); // must not touch the destroyed button
    EXPECT_EQ(sync.calls, 1);
}

} // namespace
} // namespace nimbrel
