#include "app/SharedEngineControl.h"
#include "desktop/DesktopViewModel.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sessions/Session.h"
#include "sessions/SessionDockManager.h"
#include "sessions/SessionWallpaperManager.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

namespace nimbrel {
namespace {

// The desktop window's model over a default simulated Mac, with the real engine listening.
class DesktopTest : public ::testing::Test {
  protected:
    DesktopTest() {
        setLogToStdout(false);
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(disk.path() + "/program");
        simulated.fill(platform);
    }
    ~DesktopTest() override {
        resetSharedInstances();
        setLogToStdout(true);
    }

    QVariantMap tileNamed(const QString& title) const {
        for (const QVariant& t : desktop.dockTiles())
            if (t.toMap().value("title") == title) return t.toMap();
        return {};
    }
    void click(const QVariantMap& tile, double holdSeconds = 0.05) {
        const double x = tile.value("x").toDouble() + tile.value("width").toDouble() / 2;
        const double y = tile.value("y").toDouble() + tile.value("height").toDouble() / 2;
        desktop.mousePressed(x, y);
        scheduler.advance(holdSeconds);
        desktop.mouseReleased(x, y);
        scheduler.advance(1.5);
    }
    const sim::App* frontApp() const { return mac.app(mac.frontmostPid()); }
    int visibleWindows(const sim::App& app) const {
        return int(
            std::count_if(app.windows.begin(), app.windows.end(), [](const sim::Window& w) { return !w.minimized; }));
    }

    VirtualScheduler scheduler{Date::fromUnix(1'800'000'000)};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    QTemporaryDir disk;
    sim::SimulatedPlatform simulated{scheduler, scheduler, disk.path() + "/mac"};
    sim::SimulatedMac& mac = simulated.mac();
    Platform platform;
    ScopedPlatform installed{platform};
    DesktopViewModel desktop{mac, scheduler};
};

TEST_F(DesktopTest, ShowsScreensDockAndVisibleWindowsFromTopLeft) {
    ASSERT_EQ(desktop.screens().size(), int(mac.screens().size()));
    const QVariantMap primary = desktop.screens().first().toMap();
    EXPECT_TRUE(primary.value("isPrimary").toBool());
    EXPECT_EQ(primary.value("x").toDouble(), 0);
    EXPECT_EQ(primary.value("y").toDouble(), 0);
    const sim::Screen& s = mac.screens().front();
    EXPECT_EQ(desktop.menuBarHeight(), s.frame.maxY() - s.visibleFrame.maxY());
    EXPECT_GT(desktop.menuBarHeight(), 0);

    // The Dock sits at the bottom of the primary screen.
    const QVariantMap dock = desktop.dockArea();
    EXPECT_NEAR(dock.value("y").toDouble() + dock.value("height").toDouble(), s.frame.height(), 1.0);
    ASSERT_EQ(desktop.dockTiles().size(), int(mac.dockTiles().size()));
    // An app's tile shows the app's picture, a file within the Mac's folders.
    const QVariantMap finder = desktop.dockTiles().first().toMap();
    EXPECT_EQ(finder.value("title"), "Finder");
    EXPECT_TRUE(finder.value("iconSource").toString().startsWith(QUrl::fromLocalFile(mac.root()).toString()));

    int expected = 0;
    for (const sim::App& app : mac.apps())
        if (!app.hidden && app.policy == ActivationPolicy::regular) expected += visibleWindows(app);
    EXPECT_EQ(desktop.windows().size(), expected);
    // The last window drawn is the frontmost app's front window.
    const QVariantMap top = desktop.windows().last().toMap();
    EXPECT_EQ(top.value("pid").toInt(), mac.frontmostPid());
    EXPECT_TRUE(top.value("focused").toBool());
    EXPECT_EQ(desktop.frontmostAppName(), frontApp()->name);
}

bool drawsWindowsOf(const DesktopViewModel& desktop, int pid) {
    for (const QVariant& w : desktop.windows())
        if (w.toMap().value("pid").toInt() == pid) return true;
    return false;
}

TEST_F(DesktopTest, DockClicksReachTheEngineWhichMinimizesAndRestoresASingleWindow) {
    ASSERT_TRUE(mac.isTrusted());
    SharedEngineControl engine(platform);
    engine.startMonitoring();
    ASSERT_TRUE(engine.hasDockClickMonitor());

    const sim::App* single = nullptr;
    for (const sim::App& app : mac.apps())
        if (app.pid != mac.frontmostPid() && app.windows.size() == 1 && !tileNamed(app.name).isEmpty()) single = &app;
    ASSERT_TRUE(single) << "the default desktop has an app with one window in the Dock";
    const int pid = single->pid;
    const QVariantMap tile = tileNamed(single->name);

    click(tile); // brings it forward
    EXPECT_EQ(mac.frontmostPid(), pid);
    EXPECT_EQ(visibleWindows(*mac.app(pid)), 1);

    QSignalSpy spy(&desktop, &DesktopViewModel::changed);
    click(tile); // frontmost with its one window: minimized
    EXPECT_EQ(visibleWindows(*mac.app(pid)), 0);
    EXPECT_FALSE(drawsWindowsOf(desktop, pid));
    EXPECT_GE(spy.count(), 1);

    click(tile); // and back
    EXPECT_EQ(visibleWindows(*mac.app(pid)), 1);
    EXPECT_TRUE(drawsWindowsOf(desktop, pid));
}

TEST_F(DesktopTest, WithoutPermissionTheEngineGetsNoMonitorUntilSettingsGrantIt) {
    desktop.setAccessibilityTrusted(false);
    EXPECT_FALSE(mac.isTrusted());
    EXPECT_FALSE(desktop.accessibilityTrusted());
    SharedEngineControl engine(platform);
    engine.startMonitoring();
    EXPECT_FALSE(engine.hasDockClickMonitor());

    QSignalSpy spy(&desktop, &DesktopViewModel::changed);
    desktop.setAccessibilityTrusted(true);
    scheduler.runUntilIdle();
    EXPECT_TRUE(desktop.accessibilityTrusted());
    EXPECT_EQ(spy.count(), 1);
    engine.startMonitoring();
    EXPECT_TRUE(engine.hasDockClickMonitor());
}

TEST_F(DesktopTest, ClickingAWindowBringsItsAppForwardAndRefreshesOnce) {
    const QVariantMap bottom = desktop.windows().first().toMap();
    const int pid = bottom.value("pid").toInt();
    ASSERT_NE(pid, mac.frontmostPid());
    QSignalSpy spy(&desktop, &DesktopViewModel::changed);
    desktop.windowClicked(pid, bottom.value("windowId").toDouble());
    scheduler.runUntilIdle();
    EXPECT_EQ(mac.frontmostPid(), pid);
    EXPECT_EQ(spy.count(), 1) << "a burst of changes redraws once";
    EXPECT_EQ(desktop.windows().last().toMap().value("windowId"), bottom.value("windowId"));
    desktop.windowClicked(999999, 1); // no such app: nothing
    scheduler.runUntilIdle();
    EXPECT_EQ(mac.frontmostPid(), pid);
}

// What a session puts in the Dock and on the screens is drawn, and so is what comes back after it.
TEST_F(DesktopTest, ASessionsDockAndPicturesAreDrawnAndTheOriginalsAfterIt) {
    auto titles = [this] {
        QStringList out;
        for (const QVariant& t : desktop.dockTiles())
            if (t.toMap().value("kind") == "application") out << t.toMap().value("title").toString();
        return out;
    };
    auto wallpapers = [this] {
        QStringList out;
        for (const QVariant& s : desktop.screens())
            out << s.toMap().value("wallpaperTop").toString() + s.toMap().value("wallpaperBottom").toString();
        return out;
    };
    const QStringList originalTitles = titles();
    const QStringList originalWallpapers = wallpapers();
    NimbrelSession session;
    session.allowedApps = {NimbrelSessionApp::normalizing("Notes", "com.apple.Notes", std::nullopt)};
    session.wallpaperSelections = {{Uuid::random(), "Mountains.jpg", "~/Pictures/Wallpapers/Mountains.jpg",
                                    NimbrelSessionDisplayTarget::automatic()}};
    auto dock = std::make_shared<NimbrelSessionDockManager>(platform);
    NimbrelSessionWallpaperManager pictures(platform);

    dock->applySessionDock(session);
    pictures.applySessionWallpapers(session);
    scheduler.advance(2);
    // The kept tiles; the running apps follow them.
    EXPECT_EQ(titles().mid(0, 2), (QStringList{"Finder", "Notes"}));
    EXPECT_FALSE(titles().contains("Launchpad"));
    ASSERT_EQ(wallpapers().size(), 2);
    EXPECT_EQ(wallpapers()[0], wallpapers()[1]);
    EXPECT_NE(wallpapers(), originalWallpapers);

    dock->restoreOriginalDock();
    pictures.restoreOriginalWallpapers();
    scheduler.advance(2);
    EXPECT_EQ(titles(), originalTitles);
    EXPECT_EQ(wallpapers(), originalWallpapers);
}

} // namespace
} // namespace nimbrel
