#include "SimFixture.h"

#include <QUrl>

namespace nimbrel::sim::testing {
namespace {

using Dock = SimTest;

QVariantMap fileTile(const QString& path, const QString& label) {
    return {{QStringLiteral("tile-type"), QStringLiteral("file-tile")},
            {QStringLiteral("tile-data"),
             QVariantMap{
                 {QStringLiteral("file-data"),
                  QVariantMap{{QStringLiteral("_CFURLString"), QUrl::fromLocalFile(path).toString() + QLatin1Char('/')},
                              {QStringLiteral("_CFURLStringType"), 15}}},
                 {QStringLiteral("file-label"), label}}}};
}

TEST_F(Dock, DefaultTilesInDockOrder) {
    QStringList titles;
    for (const DockTile& t : mac().dockTiles())
        titles << (t.kind == DockTileKind::separator ? QStringLiteral("|") : t.title);
    EXPECT_EQ(titles, (QStringList{"Finder", "Launchpad", "Safari", "Google Chrome", "Terminal", "Notes", "Mail",
                                   "System Settings", "|", "Downloads", "Trash"}));
}

TEST_F(Dock, ElementAtAPointInTheStripIsTheTileWithTheDockAsAncestors) {
    const auto safari = tileTitled(QStringLiteral("Safari"));
    ASSERT_TRUE(safari);
    // The strip is below the visible frame of the primary screen; the hit test takes
    // Accessibility coordinates.
    const Point appKit = centre(safari->frame);
    const Screen& primary = mac().screens().front();
    EXPECT_LT(appKit.y, primary.visibleFrame.minY());
    const Point axPoint = mac().toAccessibility(appKit);

    AXElement hit;
    ASSERT_EQ(ax().elementAtPosition(ax().systemWideElement(), float(axPoint.x), float(axPoint.y), &hit),
              AXError::success);
    EXPECT_EQ(ax().attribute(hit, QStringLiteral("AXRole")).toString(), QStringLiteral("AXDockItem"));
    EXPECT_EQ(ax().attribute(hit, QStringLiteral("AXSubrole")).toString(), QStringLiteral("AXApplicationDockItem"));
    EXPECT_EQ(title(hit), QStringLiteral("Safari"));
    int pid = 0;
    ASSERT_EQ(ax().pid(hit, &pid), AXError::success);
    EXPECT_EQ(sim.workspace().runningApplication(pid)->bundleIdentifier, QStringLiteral("com.apple.dock"));

    const AXElement list = *ax().attribute(hit, QStringLiteral("AXParent")).toElement();
    EXPECT_EQ(ax().attribute(list, QStringLiteral("AXRole")).toString(), QStringLiteral("AXList"));
    const AXElement dockApp = *ax().attribute(list, QStringLiteral("AXParent")).toElement();
    EXPECT_EQ(ax().attribute(dockApp, QStringLiteral("AXRole")).toString(), QStringLiteral("AXApplication"));
    EXPECT_EQ(title(dockApp), QStringLiteral("Dock"));
    AXValue none;
    EXPECT_EQ(ax().copyAttributeValue(dockApp, QStringLiteral("AXParent"), &none), AXError::noValue);
}

TEST_F(Dock, SubrolesOfTrashFolderAndSeparator) {
    auto subroleAt = [this](const DockTile& t) {
        const Point p = mac().toAccessibility(centre(t.frame));
        AXElement hit;
        ax().elementAtPosition(ax().systemWideElement(), float(p.x), float(p.y), &hit);
        return ax().attribute(hit, QStringLiteral("AXSubrole")).toString().value_or(QString());
    };
    QStringList seen;
    for (const DockTile& t : mac().dockTiles())
        if (t.kind != DockTileKind::application) seen << subroleAt(t);
    EXPECT_EQ(seen, (QStringList{"AXSeparatorDockItem", "AXFolderDockItem", "AXTrashDockItem"}));
}

TEST_F(Dock, PointsOutsideTheDockHitWindowsOrNothing) {
    // The front Safari window, away from its title-bar buttons.
    App& safari = appNamed(QStringLiteral("Safari"));
    const Rect f = safari.windows.front().frame;
    AXElement hit;
    ASSERT_EQ(ax().elementAtPosition(ax().systemWideElement(), float(f.midX()), float(f.midY()), &hit),
              AXError::success);
    EXPECT_EQ(hit, ax().windowElement(safari.pid, safari.windows.front().id));
    // Its close button.
    ax().elementAtPosition(ax().systemWideElement(), float(f.minX() + 14), float(f.minY() + 13), &hit);
    EXPECT_EQ(ax().attribute(hit, QStringLiteral("AXSubrole")).toString(), QStringLiteral("AXCloseButton"));
    // The empty desktop of the external screen, far from any window.
    EXPECT_EQ(ax().elementAtPosition(ax().systemWideElement(), 3600, 1000, &hit), AXError::noValue);
}

TEST_F(Dock, RestartReadsThePreferencesAgain) {
    SimDockPreferences& prefs = sim.dockPreferences();
    const int oldDock = mac().dockPid();
    prefs.setValue(QStringLiteral("persistent-apps"),
                   QVariantList{fileTile(QStringLiteral("/System/Applications/Notes.app"), QStringLiteral("Notes")),
                                fileTile(QStringLiteral("/Applications/Safari.app"), QStringLiteral("Safari"))});
    // Written but neither synchronized nor restarted: the Dock still shows the old tiles.
    EXPECT_TRUE(tileTitled(QStringLiteral("Terminal")).has_value());
    EXPECT_TRUE(prefs.synchronize());
    EXPECT_TRUE(tileTitled(QStringLiteral("Terminal")).has_value());

    const ProcessResult killed = sim.processes().run(QStringLiteral("/usr/bin/killall"), {QStringLiteral("Dock")});
    EXPECT_TRUE(killed.launched);
    EXPECT_EQ(killed.terminationStatus, 0);
    EXPECT_NE(mac().dockPid(), oldDock);

    QStringList kept;
    for (const DockTile& t : mac().persistentDockTiles())
        kept << t.title;
    EXPECT_EQ(kept, (QStringList{"Notes", "Safari"}));
    // Running apps without a kept tile still show (Terminal, Chrome, Mail are running).
    const auto terminal = tileTitled(QStringLiteral("Terminal"));
    ASSERT_TRUE(terminal.has_value());
    EXPECT_FALSE(terminal->persistent);
    EXPECT_FALSE(tileTitled(QStringLiteral("Launchpad")).has_value());
    // The read-back of the stored domain gives what was written.
    EXPECT_EQ(prefs.persistentDomain()->value(QStringLiteral("persistent-apps")).toList().size(), 2);
}

TEST_F(Dock, FailedSynchronizeKeepsTheOldTilesAfterARestart) {
    mac().setDockSynchronizeFails(true);
    sim.dockPreferences().setValue(QStringLiteral("persistent-apps"), QVariantList{});
    EXPECT_FALSE(sim.dockPreferences().synchronize());
    sim.processes().run(QStringLiteral("/bin/launchctl"), {QStringLiteral("kickstart"), QStringLiteral("-k"),
                                                           QStringLiteral("gui/501/com.apple.Dock.agent")});
    EXPECT_TRUE(tileTitled(QStringLiteral("Launchpad")).has_value());
    EXPECT_EQ(sim.dockPreferences().copyValue(QStringLiteral("persistent-apps")).toList().size(), 0);
}

TEST_F(Dock, DamagedTileEntriesAreSkipped) {
    sim.dockPreferences().setValue(
        QStringLiteral("persistent-apps"),
        QVariantList{QStringLiteral("not a tile"), QVariantMap{{QStringLiteral("tile-data"), 3}},
                     fileTile(QStringLiteral("/Applications/Safari.app"), QStringLiteral("Safari"))});
    sim.dockPreferences().synchronize();
    mac().restartDock();
    ASSERT_EQ(mac().persistentDockTiles().size(), 1u);
    EXPECT_EQ(mac().persistentDockTiles()[0].bundleIdentifier, QStringLiteral("com.apple.Safari"));
}

TEST_F(Dock, ClickingATileActivatesAndRestoresAMinimizedWindow) {
    const auto mail = tileTitled(QStringLiteral("Mail"));
    ASSERT_TRUE(mail);
    App& app = appNamed(QStringLiteral("Mail"));
    ASSERT_TRUE(app.windows.front().minimized);
    mac().mouseDown(centre(mail->frame));
    scheduler.advance(0.2);
    mac().mouseUp();
    EXPECT_TRUE(app.windows.front().minimized) << "the Dock acts after the monitors' turn, not within the release";
    scheduler.runUntilIdle();
    EXPECT_EQ(mac().frontmostPid(), app.pid);
    EXPECT_FALSE(appNamed(QStringLiteral("Mail")).windows.front().minimized);
}

TEST_F(Dock, AHeldPressOpensTheMenuInsteadOfClicking) {
    const auto mail = tileTitled(QStringLiteral("Mail"));
    mac().mouseDown(centre(mail->frame));
    scheduler.advance(kDockTileHoldSeconds);
    mac().mouseUp();
    scheduler.runUntilIdle();
    EXPECT_NE(mac().frontmostPid(), appNamed(QStringLiteral("Mail")).pid);
    EXPECT_EQ(mac().recorder().texts(EventKind::system).back(),
              QStringLiteral("Dock press held on Mail (application): menu, no click"));
}

TEST_F(Dock, ClickingTheTrashOpensAFinderTrashWindow) {
    const auto trash = tileTitled(QStringLiteral("Trash"));
    mac().mouseDown(centre(trash->frame));
    mac().mouseUp();
    scheduler.runUntilIdle();
    App& finder = appNamed(QStringLiteral("Finder"));
    EXPECT_EQ(finder.windows.front().title, QStringLiteral("Trash"));
    EXPECT_EQ(mac().frontmostPid(), finder.pid);
}

TEST_F(Dock, ClickingANotRunningAppLaunchesItAfterItsDelay) {
    mac().setLaunchDelay(QStringLiteral("com.apple.systempreferences"), 2.0);
    const auto settings = tileTitled(QStringLiteral("System Settings"));
    mac().mouseDown(centre(settings->frame));
    mac().mouseUp();
    scheduler.advance(1.9);
    EXPECT_EQ(mac().appWithBundleId(QStringLiteral("com.apple.systempreferences")), nullptr);
    scheduler.advance(0.2);
    App* app = mac().appWithBundleId(QStringLiteral("com.apple.systempreferences"));
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->windows.size(), 1u);
    EXPECT_EQ(mac().frontmostPid(), app->pid);
}

TEST_F(Dock, LeftAndRightDocksLayOutVertically) {
    mac().setDockOrientation(DockOrientation::left);
    const auto tiles = mac().dockTiles();
    EXPECT_EQ(tiles.front().frame.minX(), tiles.back().frame.minX());
    EXPECT_GT(tiles.front().frame.minY(), tiles.back().frame.minY()); // first tile at the top
    mac().setDockOrientation(DockOrientation::right);
    EXPECT_GT(mac().dockTiles().front().frame.minX(), 1600);
}

TEST_F(Dock, RewritesItsPreferencesAsItStartsAndTakesChangesByHand) {
    SimDockPreferences& prefs = sim.dockPreferences();
    auto storedTitles = [&] {
        QStringList titles;
        for (const QVariant& tile : prefs.persistentDomain()->value(QStringLiteral("persistent-apps")).toList())
            titles << tile.toMap()
                          .value(QStringLiteral("tile-data"))
                          .toMap()
                          .value(QStringLiteral("file-label"))
                          .toString();
        return titles;
    };
    prefs.setValue(QStringLiteral("persistent-apps"),
                   QVariantList{fileTile(QStringLiteral("/System/Applications/Notes.app"), QStringLiteral("Notes"))});
    prefs.synchronize();
    // In its own form: what it read, numbered, so never byte for byte what was written.
    mac().setDockRewritesPreferences(true);
    mac().restartDock();
    const QVariantMap rewritten = prefs.copyValue(QStringLiteral("persistent-apps")).toList().value(0).toMap();
    EXPECT_TRUE(rewritten.contains(QStringLiteral("GUID")));
    EXPECT_EQ(storedTitles(), QStringList{"Notes"});
    // Or other applications, which it then shows.
    mac().setDockRewritesPreferences(true, {QStringLiteral("/Applications/Safari.app")});
    mac().restartDock();
    EXPECT_EQ(storedTitles(), QStringList{"Safari"});
    EXPECT_FALSE(tileTitled(QStringLiteral("Notes")).value_or(DockTile{}).persistent);
    mac().setDockRewritesPreferences(false);

    // By hand: at once, without a restart, and kept by the next one.
    const int dock = mac().dockPid();
    mac().userChangesDock({QStringLiteral("/System/Applications/TextEdit.app")}, {QStringLiteral("Safari")});
    EXPECT_EQ(mac().dockPid(), dock);
    EXPECT_EQ(storedTitles(), QStringList{"TextEdit"});
    mac().restartDock();
    ASSERT_EQ(mac().persistentDockTiles().size(), 1u);
    EXPECT_EQ(mac().persistentDockTiles()[0].bundleIdentifier, QStringLiteral("com.apple.TextEdit"));
}

TEST_F(Dock, CommandsThatFailLeaveTheDockAsItIs) {
    const int dock = mac().dockPid();
    const QString killall = QStringLiteral("/usr/bin/killall");
    sim.processes().exitWith(killall, 1, "No matching processes\n");
    const ProcessResult failed = sim.processes().run(killall, {QStringLiteral("Dock")});
    EXPECT_TRUE(failed.launched);
    EXPECT_EQ(failed.terminationStatus, 1);
    EXPECT_EQ(failed.standardError, QByteArray("No matching processes\n"));
    EXPECT_EQ(mac().dockPid(), dock);
    sim.processes().failLaunch(killall, QStringLiteral("Operation not permitted"));
    EXPECT_EQ(sim.processes().run(killall, {QStringLiteral("Dock")}).launchError,
              QStringLiteral("Operation not permitted"));
    sim.processes().clearFaults(killall);
    EXPECT_EQ(sim.processes().run(killall, {QStringLiteral("Dock")}).terminationStatus, 0);
    EXPECT_NE(mac().dockPid(), dock);
}

} // namespace
} // namespace nimbrel::sim::testing
