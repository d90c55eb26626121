#include "SimFixture.h"

#include "platform/simulated/SimDesktopDump.h"

namespace nimbrel::sim::testing {
namespace {

using SimModelTest = SimTest;

// The strip a Dock-watching program finds from the screen's frame and visible frame:
// the first side whose gap exceeds 20 points, reaching 12 points into the visible area.
std::optional<Rect> dockStrip(const Screen& s) {
    const double bottom = s.visibleFrame.minY() - s.frame.minY();
    if (bottom > 20) return Rect(s.frame.minX(), s.frame.minY(), s.frame.width(), bottom + 12);
    const double left = s.visibleFrame.minX() - s.frame.minX();
    if (left > 20) return Rect(s.frame.minX(), s.frame.minY(), left + 12, s.frame.height());
    const double right = s.frame.maxX() - s.visibleFrame.maxX();
    if (right > 20) return Rect(s.visibleFrame.maxX() - 12, s.frame.minY(), right + 12, s.frame.height());
    return std::nullopt;
}

TEST_F(SimModelTest, EveryTileLiesInTheStripThatTheScreenGeometryGives) {
    const auto strip = dockStrip(mac().screens().front());
    ASSERT_TRUE(strip.has_value());
    for (const DockTile& t : mac().dockTiles()) {
        EXPECT_TRUE(strip->contains({t.frame.minX(), t.frame.minY()})) << t.title.toStdString();
        EXPECT_TRUE(strip->contains({t.frame.maxX() - 0.5, t.frame.maxY() - 0.5})) << t.title.toStdString();
    }
    // The external screen has no Dock strip.
    EXPECT_FALSE(dockStrip(mac().screens()[1]).has_value());
}

TEST_F(SimModelTest, TilesAreLaidOutWithoutOverlap) {
    const auto tiles = mac().dockTiles();
    for (size_t i = 1; i < tiles.size(); ++i)
        EXPECT_LE(tiles[i - 1].frame.maxX(), tiles[i].frame.minX());
    EXPECT_NEAR(tiles.front().frame.minX() + (tiles.back().frame.maxX() - tiles.front().frame.minX()) / 2, 1728 / 2.0,
                0.001);
}

TEST_F(SimModelTest, FullScreenFillsTheScreenThatHoldsTheWindow) {
    App& notes = appNamed(QStringLiteral("Notes")); // on the external display
    const auto id = notes.windows.front().id;
    mac().setFullScreen(notes, id, true);
    // The external screen's top is at y 0 in Accessibility coordinates (its maxY 1117 equals the primary's).
    EXPECT_EQ(notes.windows.front().frame, Rect(1728, 0, 1920, 1080));
    mac().setFullScreen(notes, id, false);
    EXPECT_EQ(notes.windows.front().frame, Rect(1900, 120, 1000, 700));
}

TEST_F(SimModelTest, StartingARunningApplicationActivatesIt) {
    const size_t count = mac().apps().size();
    App& again = mac().startApplication(*mac().installedApplication(QStringLiteral("com.apple.Notes")), true, true);
    EXPECT_EQ(mac().apps().size(), count);
    EXPECT_EQ(mac().frontmostPid(), again.pid);
    EXPECT_EQ(again.windows.size(), 1u);
}

TEST_F(SimModelTest, WebLinksOpenANewWindowWhenTheBrowserHasNone) {
    appNamed(QStringLiteral("Safari")).windows.clear();
    EXPECT_TRUE(mac().openURL(QStringLiteral("https://example.com/x")));
    ASSERT_EQ(appNamed(QStringLiteral("Safari")).windows.size(), 1u);
    EXPECT_EQ(appNamed(QStringLiteral("Safari")).windows[0].title, QStringLiteral("example.com"));
    mac().setDefaultBrowserBundleId(QStringLiteral("com.google.Chrome"));
    EXPECT_TRUE(mac().openURL(QStringLiteral("http://other.example/")));
    EXPECT_EQ(appNamed(QStringLiteral("Google Chrome")).windows.front().tabs.back().url,
              QStringLiteral("http://other.example/"));
}

TEST_F(SimModelTest, TitlesForURLs) {
    EXPECT_EQ(SimulatedMac::titleForURL(QString(), true), QStringLiteral("Start Page"));
    EXPECT_EQ(SimulatedMac::titleForURL(QStringLiteral("favorites://"), true), QStringLiteral("Start Page"));
    EXPECT_EQ(SimulatedMac::titleForURL(QStringLiteral("chrome://newtab/"), false), QStringLiteral("New Tab"));
    EXPECT_EQ(SimulatedMac::titleForURL(QStringLiteral("https://www.example.com/a?b"), false),
              QStringLiteral("example.com"));
    EXPECT_EQ(SimulatedMac::titleForURL(QStringLiteral("not a url"), false), QStringLiteral("not a url"));
}

TEST_F(SimModelTest, QuietSetUpPostsNoNotices) {
    int launches = 0;
    auto token = sim.workspace().observeDidLaunch([&](const RunningApplication&) { ++launches; });
    mac().setQuiet(true);
    mac().startApplication(*mac().installedApplication(QStringLiteral("com.apple.TextEdit")), true, false);
    mac().setQuiet(false);
    scheduler.runUntilIdle();
    EXPECT_EQ(launches, 0);
    mac().startApplication(*mac().installedApplication(QStringLiteral("com.apple.iCal")), true, false);
    scheduler.runUntilIdle();
    EXPECT_EQ(launches, 1);
}

TEST_F(SimModelTest, SeveralListenersHearEveryEventUntilTheyLeave) {
    QStringList first, second;
    auto a = mac().recorder().addListener([&](const Event& e) { first << e.text; });
    {
        auto b = mac().recorder().addListener([&](const Event& e) { second << e.text; });
        mac().wake();
    }
    mac().setTrusted(false);
    EXPECT_EQ(first, (QStringList{"wake from sleep", "accessibility revoked"}));
    EXPECT_EQ(second, (QStringList{"wake from sleep"}));
}

TEST_F(SimModelTest, TheDumpNamesScreensTilesAppsWindowsAndTabs) {
    const QStringList lines = describeDesktop(mac());
    EXPECT_EQ(lines.front(), QStringLiteral("screens:"));
    EXPECT_TRUE(lines.contains(QStringLiteral("  Trash [trash]")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  Safari (com.apple.Safari) regular frontmost")));
    EXPECT_TRUE(
        lines.contains(QStringLiteral("    window \"Inbox \u2013 iCloud\" {{140, 90}, {1200, 800}} minimized")));
    EXPECT_TRUE(lines.contains(QStringLiteral("      tab https://news.ycombinator.com/")));
    // The Dock itself is not listed among the apps.
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("(com.apple.dock)")));
}

} // namespace
} // namespace nimbrel::sim::testing
