#include "app/MenuBarViewModel.h"
#include "app/ShellNames.h"
#include "shell/ShellTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace nimbrel {
namespace {

TEST(IgnoredApps, SubtitleCountsWithoutZero) {
    EXPECT_EQ(ignoredAppsSubtitle(0), "Ignored apps");
    EXPECT_EQ(ignoredAppsSubtitle(1), "1 ignored app");
    EXPECT_EQ(ignoredAppsSubtitle(4), "4 ignored apps");
}

class MenuBarTest : public ::testing::Test {
  protected:
    MenuBarTest() {
        env.notifications.setRecording(true);
        pause.start();
    }
    std::unique_ptr<MenuBarViewModel> make() {
        MenuBarViewModel::Hooks hooks;
        hooks.isProcessTrusted = [this] { return trusted; };
        hooks.openAccessibilitySettings = [this] { ++settingsOpened; };
        hooks.isSyncing = [this] { return syncing; };
        hooks.observeSyncing = [this](std::function<void(bool)> observer) {
            syncObserver = std::move(observer);
            return ObserverToken([this] { syncObserver = {}; });
        };
        return std::make_unique<MenuBarViewModel>(env.platform, pause, hooks);
    }

    testing::ShellPlatform env;
    GlobalPauseController pause{env.platform, {}};
    bool trusted = false;
    bool syncing = false;
    int settingsOpened = 0;
    std::function<void(bool)> syncObserver;
};

TEST_F(MenuBarTest, PillsFollowPauseAndPermission) {
    auto menu = make();
    menu->appeared();
    EXPECT_EQ(menu->statusTitle(), "Active");
    EXPECT_EQ(menu->accessibilityTitle(), "Accessibility Off");
    EXPECT_EQ(menu->accessibilitySymbol(), "lock.fill");
    EXPECT_EQ(menu->pauseButtonTitle(), "Pause Nimbrel");

    pause.pause(60);
    EXPECT_EQ(menu->statusTitle(), QString::fromUtf8("Paused \u2022 1m 0s"));
    EXPECT_EQ(menu->pauseButtonTitle(), "Resume Nimbrel");
    EXPECT_EQ(menu->pauseButtonSymbol(), "play.fill");
    env.scheduler.advance(1);
    EXPECT_EQ(menu->statusTitle(), QString::fromUtf8("Paused \u2022 59s"));

    trusted = true;
    env.scheduler.advance(1); // the tick reads the permission again
    EXPECT_EQ(menu->accessibilityTitle(), "Accessibility On");
    EXPECT_EQ(menu->accessibilitySymbol(), "lock.open.fill");

    env.scheduler.advance(58); // the controller ends the pause; the screen just shows it
    EXPECT_EQ(menu->statusTitle(), "Active");
    EXPECT_FALSE(menu->isPaused());
}

TEST_F(MenuBarTest, PauseMenuRowsCloseTheMenuAndRun) {
    auto menu = make();
    menu->appeared();
    menu->togglePauseMenu();
    EXPECT_TRUE(menu->showingPauseMenu());
    ASSERT_EQ(menu->pauseMenuRowsList().size(), 8);
    EXPECT_EQ(menu->pauseMenuRowsList().first().toMap().value("text"), "5 Minutes");
    menu->choosePauseRow(0);
    EXPECT_FALSE(menu->showingPauseMenu());
    EXPECT_TRUE(menu->isPaused());
    EXPECT_EQ(menu->pauseMenuRowsList().size(), 9);
    menu->togglePauseMenu();
    menu->choosePauseRow(0); // Resume
    EXPECT_FALSE(menu->isPaused());
    menu->choosePauseRow(42); // no such row: the menu just closes
    EXPECT_FALSE(menu->isPaused());
}

TEST_F(MenuBarTest, BlacklistSubtitleFollowsTheStoredList) {
    auto menu = make();
    QSignalSpy spy(menu.get(), &MenuBarViewModel::changed);
    EXPECT_EQ(menu->ignoredAppsSubtitleText(), "Ignored apps");
    env.defaults.setStringArray("Nimbrel.blacklistedApplications", {"com.a", "com.b"});
    env.defaults.setString("Nimbrel.blacklistedApplications.refreshToken", "2");
    EXPECT_EQ(menu->ignoredAppsSubtitleText(), "2 ignored apps");
    EXPECT_GE(spy.count(), 1);
    env.defaults.setString("Nimbrel.blacklistedApplications", "not a list");
    EXPECT_EQ(menu->ignoredAppsSubtitleText(), "Ignored apps");
    env.defaults.set("Nimbrel.blacklistedApplications", QVariantList{QString("com.a"), qint64(7)});
    EXPECT_EQ(menu->ignoredAppsSubtitleText(), "Ignored apps");
}

TEST_F(MenuBarTest, SyncIndicatorObservedOnlyAfterAQuarterAndATenth) {
    syncing = true;
    auto menu = make();
    menu->appeared();
    env.scheduler.advance(0.34);
    EXPECT_FALSE(menu->isCloudSyncing());
    env.scheduler.advance(0.01);
    EXPECT_TRUE(menu->isCloudSyncing());
    ASSERT_TRUE(syncObserver);
    syncObserver(false);
    EXPECT_FALSE(menu->isCloudSyncing());
    syncObserver(true);
    menu->disappeared();
    EXPECT_FALSE(menu->isCloudSyncing());
    EXPECT_FALSE(syncObserver); // the subscription ended

    // A sync that ends within 0.35 s of appearing is never shown.
    menu->appeared();
    syncing = false;
    env.scheduler.advance(0.35);
    EXPECT_FALSE(menu->isCloudSyncing());
}

TEST_F(MenuBarTest, PermissionsOpensSettingsAndRereadsASecondLater) {
    auto menu = make();
    menu->appeared();
    menu->openPermissions();
    EXPECT_EQ(settingsOpened, 1);
    trusted = true;
    menu->disappeared(); // no tick: only the delayed read can see it
    env.scheduler.advance(0.99);
    EXPECT_FALSE(menu->isAccessibilityTrusted());
    env.scheduler.advance(0.01);
    EXPECT_TRUE(menu->isAccessibilityTrusted());
}

TEST_F(MenuBarTest, PostsOnlyTheMenusNotices) {
    auto menu = make();
    menu->postPanelNotification(shell::kShowRules);
    menu->postPanelNotification(shell::kQuitRequested);
    menu->postPanelNotification("Nimbrel.globalPauseActive");
    ASSERT_EQ(env.notifications.posted().size(), 2u);
    EXPECT_EQ(env.notifications.posted()[0].name, shell::kShowRules);
    EXPECT_EQ(env.notifications.posted()[1].name, shell::kQuitRequested);
}

TEST_F(MenuBarTest, TicksOnlyWhileShown) {
    auto menu = make();
    QSignalSpy spy(menu.get(), &MenuBarViewModel::changed);
    env.scheduler.advance(5);
    EXPECT_EQ(spy.count(), 0);
    menu->appeared();
    const int afterAppear = spy.count();
    env.scheduler.advance(3);
    EXPECT_GE(spy.count() - afterAppear, 3);
    menu->disappeared();
    const int afterGone = spy.count();
    env.scheduler.advance(5);
    EXPECT_EQ(spy.count(), afterGone);

    // Back to the menu while the old screen still slides out: the old one goes last, and the
    // new one keeps ticking.
    menu->appeared();
    menu->appeared();
    menu->disappeared();
    trusted = true;
    env.scheduler.advance(1);
    EXPECT_TRUE(menu->isAccessibilityTrusted());
    menu->disappeared();
    trusted = false;
    env.scheduler.advance(2);
    EXPECT_TRUE(menu->isAccessibilityTrusted());
}

TEST_F(MenuBarTest, TheTickEndsAPauseWhoseEndPassedDuringASleep) {
    auto menu = make();
    menu->appeared();
    pause.pause(300);
    env.scheduler.advance(28);
    env.scheduler.sleep(600); // nothing runs; the controller's own timer falls due later
    const size_t before = env.notifications.posted().size();
    env.scheduler.advance(1);
    EXPECT_FALSE(env.defaults.boolValue(kGlobalPauseActiveKey).value_or(true));
    EXPECT_EQ(pause.pauseUntilTimestamp(), 0);
    EXPECT_EQ(menu->statusTitle(), "Active");
    ASSERT_EQ(env.notifications.posted().size(), before + 1);
    EXPECT_EQ(env.notifications.posted().back().name, shell::kPauseStateDidChange);
    env.scheduler.advance(120); // and it ends once
    EXPECT_EQ(env.notifications.posted().size(), before + 1);
}

} // namespace
} // namespace nimbrel
