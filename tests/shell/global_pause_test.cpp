#include "app/GlobalPause.h"
#include "app/MenuBarIcon.h"
#include "app/ShellNames.h"
#include "shell/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using namespace pausekeys;

TEST(PauseTexts, RemainingTimeRoundsUpInItsForms) {
    EXPECT_EQ(remainingPauseText(59.2), "1m 0s");
    EXPECT_EQ(remainingPauseText(3599.5), "1h 0m");
    EXPECT_EQ(remainingPauseText(0.4), "1s");
    EXPECT_EQ(remainingPauseText(7199), "1h 59m");
    EXPECT_EQ(remainingPauseText(125), "2m 5s");
    EXPECT_EQ(remainingPauseText(-3), "0s");
    EXPECT_EQ(remainingPauseText(std::nan("")), "0s");
    EXPECT_EQ(remainingPauseText(1e300), "876000h 0m"); // capped, never overflowing
}

TEST(PauseMenu, RowsWithResumeOnlyWhilePaused) {
    const auto running = pauseMenuRows(false);
    ASSERT_EQ(running.size(), 8u);
    EXPECT_EQ(running.front().text, "5 Minutes");
    EXPECT_FALSE(running.front().dividerBefore);
    EXPECT_EQ(running[3], (PauseMenuRow{PauseMenuRow::Action::pauseFor, "clock", "1 Hour", 3600, false}));
    EXPECT_EQ(running.back(),
              (PauseMenuRow{PauseMenuRow::Action::pauseIndefinitely, "pause.circle.fill", "Until I Resume", 0, true}));
    const auto paused = pauseMenuRows(true);
    ASSERT_EQ(paused.size(), 9u);
    EXPECT_EQ(paused.front(), (PauseMenuRow{PauseMenuRow::Action::resume, "play.fill", "Resume Nimbrel", 0, false}));
    EXPECT_TRUE(paused[1].dividerBefore);
    EXPECT_EQ(paused[1].symbol, "timer");
    EXPECT_EQ(paused[7].text, "24 Hours");
    EXPECT_EQ(paused[7].seconds, 86400);
}

class GlobalPauseTest : public ::testing::Test {
  protected:
    GlobalPauseTest() { env.notifications.setRecording(true); }
    std::unique_ptr<GlobalPauseController> make() {
        return std::make_unique<GlobalPauseController>(
            env.platform, GlobalPauseController::Hooks{[this](bool on) { syncManager.push_back(on); },
                                                       [this](const QString& title, const QString& message) {
                                                           activities << title;
                                                           messages << message;
                                                       }});
    }
    int pauseNotices() const {
        return int(std::count_if(env.notifications.posted().begin(), env.notifications.posted().end(),
                                 [](const Notification& n) { return n.name == shell::kPauseStateDidChange; }));
    }
    bool flag() const { return env.defaults.boolValue(kGlobalPauseActiveKey).value_or(false); }
    double now() const { return env.scheduler.now().unixSeconds(); }

    testing::ShellPlatform env;
    std::vector<bool> syncManager;
    QStringList activities;
    QStringList messages;
};

TEST_F(GlobalPauseTest, StateTableRunningTimedIndefinite) {
    auto pause = make();
    pause->start();
    EXPECT_EQ(pause->statusTitle(env.scheduler.now()), "Active");
    EXPECT_FALSE(pause->isPaused(env.scheduler.now()));

    pause->pause(300);
    EXPECT_TRUE(flag());
    EXPECT_EQ(env.defaults.boolValue(kIsPausedIndefinitely), false);
    EXPECT_DOUBLE_EQ(pause->pauseUntilTimestamp(), now() + 300);
    EXPECT_EQ(pause->statusTitle(env.scheduler.now()), QString::fromUtf8("Paused \u2022 5m 0s"));

    pause->pauseIndefinitely();
    EXPECT_TRUE(flag());
    EXPECT_EQ(env.defaults.boolValue(kIsPausedIndefinitely), true);
    EXPECT_EQ(pause->pauseUntilTimestamp(), 0);
    EXPECT_EQ(pause->statusTitle(env.scheduler.now()), "Paused");

    pause->resume();
    EXPECT_FALSE(flag());
    EXPECT_EQ(env.defaults.boolValue(kIsPausedIndefinitely), false);
    EXPECT_EQ(pause->pauseUntilTimestamp(), 0);
    EXPECT_EQ(pause->statusTitle(env.scheduler.now()), "Active");
    EXPECT_EQ(pauseNotices(), 3);
}

TEST_F(GlobalPauseTest, SyncSavedByFirstPauseRestoredOnResumeOneTurnLater) {
    env.defaults.setBool(kSyncEnabled, true);
    auto pause = make();
    pause->pause(900);
    EXPECT_EQ(env.defaults.boolValue(kSyncEnabled), false);
    EXPECT_TRUE(syncManager.empty()); // deferred by one turn
    env.scheduler.runUntilIdle();
    EXPECT_EQ(syncManager, std::vector<bool>{false});
    pause->pause(60); // a second pause keeps the first one's saved value
    pause->resume();
    env.scheduler.runUntilIdle();
    EXPECT_EQ(env.defaults.boolValue(kSyncEnabled), true);
    EXPECT_EQ(env.defaults.boolValue(kHasSavedSyncState), false);
    EXPECT_EQ(syncManager, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(activities, (QStringList{"Cloud Sync Disabled", "Cloud Sync Disabled", "Cloud Sync Enabled"}));
    EXPECT_EQ(messages.last(), "Nimbrel will sync rules, sessions and blacklist.");
    EXPECT_EQ(messages.first(), "Nimbrel will stop syncing across devices.");
}

TEST_F(GlobalPauseTest, SyncOffBeforePauseStaysOffAndEndWithNothingSavedTurnsItOn) {
    env.defaults.setBool(kSyncEnabled, false);
    auto pause = make();
    pause->pauseIndefinitely();
    pause->resume();
    env.scheduler.runUntilIdle();
    EXPECT_EQ(env.defaults.boolValue(kSyncEnabled), false);
    EXPECT_EQ(activities.last(), "Cloud Sync Disabled");

    env.defaults.remove(kSavedSyncEnabled);
    env.defaults.remove(kHasSavedSyncState);
    pause->resume();
    EXPECT_EQ(env.defaults.boolValue(kSyncEnabled), true);
}

TEST_F(GlobalPauseTest, TimedPauseEndsOnTimeWithNoScreen) {
    auto pause = make();
    pause->start();
    pause->pause(300);
    env.scheduler.advance(299.9);
    EXPECT_TRUE(flag());
    env.scheduler.advance(0.1); // exactly at the end: over
    EXPECT_FALSE(flag());
    EXPECT_EQ(pause->pauseUntilTimestamp(), 0);
    EXPECT_EQ(pause->statusTitle(env.scheduler.now()), "Active");
    EXPECT_EQ(pauseNotices(), 2);
}

TEST_F(GlobalPauseTest, ATimedPauseReadAtItsEndIsOverForEveryReader) {
    auto pause = make();
    pause->pause(300);
    const double end = pause->pauseUntilTimestamp();
    // Read, not ticked: the flag is still set, but each reader compares the end with its own now.
    const struct {
        double at;
        bool paused;
        const char* title;
    } reads[] = {
        {end - 0.5, true, "Paused \u2022 1s"},
        {end, false, "Active"},
        {end + 0.5, false, "Active"},
    };
    for (const auto& r : reads) {
        const Date at = Date::fromUnix(r.at);
        EXPECT_EQ(pause->isPaused(at), r.paused) << r.at - end;
        EXPECT_EQ(pause->statusTitle(at), QString::fromUtf8(r.title)) << r.at - end;
        EXPECT_EQ(isMenuBarIconPaused(env.defaults, r.at), r.paused) << r.at - end;
    }
    EXPECT_EQ(pause->remainingPauseText(Date::fromUnix(end)), "0s");
    EXPECT_TRUE(flag());
}

TEST_F(GlobalPauseTest, NewPauseReplacesTheEndAndResumeDisarmsIt) {
    auto pause = make();
    pause->pause(300);
    env.scheduler.advance(100);
    pause->pause(900);
    env.scheduler.advance(300);
    EXPECT_TRUE(flag());
    pause->resume();
    const int notices = pauseNotices();
    env.scheduler.advance(2000);
    EXPECT_EQ(pauseNotices(), notices);
    pause->pause(60);
    pause->pauseIndefinitely();
    env.scheduler.advance(120);
    EXPECT_TRUE(flag()); // the timer of the replaced timed pause ended nothing
}

TEST_F(GlobalPauseTest, RestartEndsAnExpiredPauseAtLaunchAndRearmsAPendingOne) {
    {
        auto pause = make();
        pause->pause(600);
    }
    env.scheduler.advance(1000); // the program was not running
    EXPECT_TRUE(flag());
    auto relaunched = make();
    relaunched->start();
    EXPECT_FALSE(flag());
    EXPECT_EQ(relaunched->pauseUntilTimestamp(), 0);

    {
        auto pause = make();
        pause->pause(600);
    }
    env.scheduler.advance(100);
    auto again = make();
    again->start();
    EXPECT_TRUE(flag());
    env.scheduler.advance(500);
    EXPECT_FALSE(flag());
}

// The wall clock as it runs on a Mac that sleeps: timers stand still, the clock moves on.
struct SleepingClock : Clock {
    explicit SleepingClock(const Clock& timers) : timers(timers) {}
    Date now() const override { return timers.now().addingSeconds(slept); }
    const Clock& timers;
    double slept = 0;
};

TEST_F(GlobalPauseTest, PauseWhoseEndPassedDuringASleepEndsSoonAfterWaking) {
    SleepingClock wallClock(env.scheduler);
    env.platform.clock = &wallClock;
    auto pause = make();
    pause->start();
    pause->pause(3600);
    env.scheduler.advance(600);
    wallClock.slept = 7200; // the lid was closed for two hours
    EXPECT_TRUE(flag());
    env.scheduler.advance(60);
    EXPECT_FALSE(flag());
    EXPECT_EQ(pause->statusTitle(wallClock.now()), "Active");
    EXPECT_EQ(pauseNotices(), 2);
}

TEST_F(GlobalPauseTest, UnreadableStoredTimestampIsNoPause) {
    env.defaults.setString(kPauseUntilTimestamp, "tomorrow");
    env.defaults.setBool(kGlobalPauseActiveKey, true);
    env.defaults.setBool(kSyncEnabled, false);
    env.defaults.setBool(kSavedSyncEnabled, true);
    env.defaults.setBool(kHasSavedSyncState, true);
    auto pause = make();
    pause->start();
    EXPECT_EQ(pause->pauseUntilTimestamp(), 0);
    EXPECT_FALSE(pause->isPaused(env.scheduler.now()));
    // The stray flag is cleared as a resume would, with the sync setting from before.
    EXPECT_FALSE(flag());
    EXPECT_EQ(env.defaults.boolValue(kSyncEnabled), true);
    EXPECT_EQ(pauseNotices(), 1);
    env.scheduler.runUntilIdle();
    EXPECT_EQ(activities, QStringList{"Cloud Sync Enabled"});
    env.defaults.setDouble(kPauseUntilTimestamp, std::numeric_limits<double>::infinity());
    EXPECT_EQ(pause->pauseUntilTimestamp(), 0);
    pause->pause(-5);
    pause->pause(std::nan(""));
    EXPECT_EQ(env.defaults.boolValue(kIsPausedIndefinitely).value_or(false), false);
    EXPECT_EQ(pauseNotices(), 1);

    // A running program with no pause stored is left alone at launch.
    auto relaunched = make();
    relaunched->start();
    EXPECT_EQ(pauseNotices(), 1);

    // A stray flag with no saved sync setting leaves the user's setting alone.
    env.defaults.setBool(kGlobalPauseActiveKey, true);
    env.defaults.setBool(kSyncEnabled, false);
    env.defaults.remove(kSavedSyncEnabled);
    env.defaults.remove(kHasSavedSyncState);
    auto third = make();
    third->start();
    EXPECT_FALSE(flag());
    EXPECT_EQ(env.defaults.boolValue(kSyncEnabled), false);
    EXPECT_EQ(pauseNotices(), 2);
}

TEST_F(GlobalPauseTest, MenuRowsRunTheirActions) {
    auto pause = make();
    for (const PauseMenuRow& row : pauseMenuRows(false)) {
        if (row.text != "15 Minutes") continue;
        pause->run(row);
    }
    EXPECT_DOUBLE_EQ(pause->pauseUntilTimestamp(), now() + 900);
    pause->run(pauseMenuRows(true).front());
    EXPECT_FALSE(flag());
    pause->run(pauseMenuRows(false).back());
    EXPECT_TRUE(pause->isPausedIndefinitely());
}

} // namespace
} // namespace nimbrel

#include "app/NimbrelAppDelegate.h"

namespace nimbrel {
namespace {

// "5 Minutes" turns the status item orange; the pause ends five minutes later with no panel.
TEST_F(GlobalPauseTest, StatusItemIsOrangeForTheWholePauseWithThePanelClosed) {
    testing::RecordingSurface surface;
    ShellHooks hooks;
    hooks.isProcessTrusted = [] { return true; };
    hooks.iconCatalog = {[](const QString&) { return false; },
                         [](const QString& n) { return n.startsWith("NIMBREL_MENU_BAR"); }};
    NimbrelAppDelegate delegate(env.platform, surface, hooks);
    delegate.applicationDidFinishLaunching();
    auto pause = make();
    pause->start();
    ASSERT_EQ(surface.icon->name, "NIMBREL_MENU_BAR");

    pause->run(pauseMenuRows(false).front()); // 5 Minutes
    EXPECT_EQ(surface.icon->name, "NIMBREL_MENU_BAR_ORANGE");
    env.scheduler.advance(299);
    EXPECT_EQ(surface.icon->name, "NIMBREL_MENU_BAR_ORANGE");
    EXPECT_TRUE(flag());
    env.scheduler.advance(1);
    EXPECT_FALSE(flag());
    EXPECT_EQ(surface.icon->name, "NIMBREL_MENU_BAR");
    EXPECT_FALSE(surface.panelCreated);
}

} // namespace
} // namespace nimbrel
