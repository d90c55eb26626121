#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

class DockClickMonitorTest : public EngineFixture {
  protected:
    DockClickMonitorTest() {
        safari = desk.addApp(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari")).pid;
        desk.addWindow(safari, QStringLiteral("Apple"));
        finder = desk.addApp(QStringLiteral("com.apple.finder"), QStringLiteral("Finder"),
                             QStringLiteral("/System/Library/CoreServices/Finder.app"))
                     .pid;
        desk.addTile(QStringLiteral("Trash"));
    }
    QStringList lines() const { return log.lines; }
    int safari = 0;
    int finder = 0;
};

const QString kNoApp = QStringLiteral("NimbrelEngine: Dock click ignored — no app resolved from Dock item");

} // namespace

TEST_F(DockClickMonitorTest, StartInstallsOneMonitorAndEventsAreHandledOnALaterTurn) {
    engine->startMonitoring();
    engine->startMonitoring();
    EXPECT_EQ(log.count(QStringLiteral("NimbrelEngine: starting Dock click monitoring")), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelEngine: global mouse monitor installed")));
    ASSERT_TRUE(engine->dockClickMonitor());

    desk.mouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_FALSE(engine->state().isPrimaryMouseButtonDown); // nothing ran inside the handler
    scheduler.runUntilIdle();
    EXPECT_TRUE(engine->state().isPrimaryMouseButtonDown);
    ASSERT_TRUE(engine->state().activeDockPress.has_value());
    EXPECT_EQ(engine->state().activeDockPress->appKey, QStringLiteral("com.apple.Safari"));

    desk.mouseUp();
    scheduler.runUntilIdle();
    EXPECT_FALSE(engine->state().isPrimaryMouseButtonDown);
    EXPECT_FALSE(engine->state().activeDockPress.has_value());
}

TEST_F(DockClickMonitorTest, MouseDownUsesThePointerNowNotTheEventLocation) {
    engine->startMonitoring();
    desk.mouseDown({700, 500}); // on the desktop
    desk.pointer = desk.tileCenter(QStringLiteral("Safari"));
    scheduler.runUntilIdle();
    EXPECT_TRUE(engine->state().activeDockPress.has_value());
}

TEST_F(DockClickMonitorTest, FailedMonitorIsRetriedButTheWakeObserverIsRegisteredOnce) {
    desk.refuseMonitor = true;
    engine->startMonitoring();
    engine->startMonitoring();
    EXPECT_EQ(log.count(QStringLiteral("NimbrelEngine: failed to create global mouse monitor")), 2);
    EXPECT_FALSE(engine->dockClickMonitor());
    EXPECT_EQ(desk.wakeObservers.size(), 1u);

    desk.refuseMonitor = false;
    engine->startMonitoring();
    EXPECT_TRUE(engine->dockClickMonitor());
    desk.wake();
    EXPECT_EQ(log.count(QStringLiteral("NimbrelEngine: wake from sleep — suppressing Dock clicks for 1.5 s")), 1);
}

TEST_F(DockClickMonitorTest, WakeQuietWindowEndsExactly15sAfterTheLastWake) {
    engine->startMonitoring();
    desk.wake();
    scheduler.advance(1.0);
    desk.wake();
    scheduler.advance(1.4);
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelEngine: Dock click ignored — within wake recovery window")));
    EXPECT_FALSE(engine->state().isPrimaryMouseButtonDown);

    log.clear();
    scheduler.advanceTo(Date{2.5});
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_TRUE(log.startingWith(QStringLiteral("NimbrelEngine: Dock click ignored")).isEmpty());
    EXPECT_TRUE(engine->state().activeDockPress.has_value());
}

TEST_F(DockClickMonitorTest, UntrustedPressesOnlyLog) {
    desk.trusted = false;
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_EQ(lines(), QStringList{QStringLiteral("NimbrelEngine: Accessibility is not trusted")});
    EXPECT_EQ(desk.hitTests, 0);
}

TEST_F(DockClickMonitorTest, PressesOutsideTheStripCostNoAccessibilityQuery) {
    engine->monitor().handleDockMouseDown({700, 500});
    engine->monitor().handleDockMouseDown({700, 81}); // within 12 points into the visible area: still the strip
    EXPECT_EQ(desk.hitTests, 1);
    EXPECT_TRUE(lines().size() == 2 && lines()[0].startsWith(QStringLiteral("NimbrelDebug: dock mouseDown title=nil")));
    EXPECT_EQ(lines()[1], kNoApp);
}

TEST_F(DockClickMonitorTest, NonAppTilesLaunchpadOwnAndAccessoryAppsAreDropped) {
    desk.addTile(QStringLiteral("Launch pad"));
    desk.addApp(QStringLiteral("com.apple.launchpad.launcher"), QStringLiteral("Springboard"));
    desk.addApp(kNimbrelBundleIdentifier, QStringLiteral("Nimbrel"));
    auto& helper = desk.addApp(QStringLiteral("com.example.helper"), QStringLiteral("Helper"));
    helper.activationPolicy = ActivationPolicy::accessory;
    desk.addTile(QStringLiteral("Nothing Running"));

    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Launch pad")));
    EXPECT_EQ(lines().last(), QStringLiteral("NimbrelEngine: ignoring non-app Dock item: Launch pad"));
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Springboard")));
    EXPECT_EQ(lines().last(),
              QStringLiteral("NimbrelEngine: ignoring Launchpad (com.apple.launchpad.launcher) dock click"));
    for (const char* tile : {"Nimbrel", "Helper", "Nothing Running"}) {
        engine->monitor().handleDockMouseDown(desk.tileCenter(QString::fromUtf8(tile)));
        EXPECT_EQ(lines().last(), kNoApp) << tile;
    }
    EXPECT_FALSE(engine->state().activeDockPress.has_value());
    scheduler.advance(1);
    EXPECT_TRUE(log.startingWith(QStringLiteral("NimbrelEngine: tap")).isEmpty());
}

TEST_F(DockClickMonitorTest, PressRecordsTheSnapshotOfTheFirstPress) {
    desk.addWindow(safari, QStringLiteral("Docs"), true);
    desk.setFrontmost(safari);
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_EQ(lines().first(), QStringLiteral("NimbrelDebug: dock mouseDown title=Safari isTrash=false"));
    ASSERT_TRUE(engine->state().activeDockPress.has_value());
    const DockTapContext& c = engine->state().activeDockPress->context;
    EXPECT_TRUE(c.wasFrontmostBeforeClick);
    EXPECT_EQ(c.windowCountBeforeClick, 2);
    EXPECT_EQ(c.visibleWindowCountBeforeClick, 1);
    EXPECT_EQ(c.minimizedWindowCountBeforeClick, 1);
    EXPECT_EQ(c.dockTitle, QStringLiteral("Safari"));
    EXPECT_FALSE(c.focusedWindowTitleAfterDockClick.has_value());
}

TEST_F(DockClickMonitorTest, TrashTileResolvesToFinderAndCountsOnlyTrashWindows) {
    desk.addWindow(finder, QStringLiteral("Trash"));
    desk.addWindow(finder, QStringLiteral("Documents"));
    desk.addWindow(finder, QStringLiteral("Downloads"), true);
    desk.addWindow(finder, std::nullopt);
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Trash")));
    EXPECT_EQ(lines().first(), QStringLiteral("NimbrelDebug: dock mouseDown title=Trash isTrash=true"));
    ASSERT_TRUE(engine->state().activeDockPress.has_value());
    EXPECT_EQ(engine->state().activeDockPress->appKey, QStringLiteral("com.apple.finder"));
    EXPECT_EQ(engine->state().activeDockPress->context.windowCountBeforeClick, 1);

    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Finder")));
    EXPECT_EQ(engine->state().activeDockPress->context.windowCountBeforeClick, 4);
    EXPECT_EQ(engine->state().activeDockPress->context.minimizedWindowCountBeforeClick, 1);
    // Finder then Trash within 0.12 s: one tap of two clicks, with the Trash press's context kept first.
    ASSERT_TRUE(engine->state().pendingDockTapByAppKey.count(QStringLiteral("com.apple.finder")));
    EXPECT_EQ(engine->state().pendingDockTapByAppKey.at(QStringLiteral("com.apple.finder")).clickCount, 2);
    EXPECT_EQ(engine->state().pendingDockTapByAppKey.at(QStringLiteral("com.apple.finder")).context.dockTitle,
              QStringLiteral("Trash"));
}

TEST_F(DockClickMonitorTest, SubroleAndRoleDecideRealWindows) {
    const auto dialog = desk.addWindow(safari, QStringLiteral("Alert"));
    desk.window(dialog).subrole = QStringLiteral("AXSystemDialog");
    const auto sheet = desk.addWindow(safari, QStringLiteral("Sheet"));
    desk.window(sheet).role = QStringLiteral("AXSheet");
    const auto odd = desk.addWindow(safari, QStringLiteral("No role"));
    desk.window(odd).role.reset();
    desk.window(odd).subrole.reset();
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_EQ(engine->state().activeDockPress->context.windowCountBeforeClick, 2); // "Apple" and "No role"

    desk.unreadableWindowsPid = safari;
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    EXPECT_EQ(engine->state().activeDockPress->context.windowCountBeforeClick, 0);
}
