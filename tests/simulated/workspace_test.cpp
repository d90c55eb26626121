#include "SimFixture.h"

#include <QFile>
#include <QUrl>

namespace nimbrel::sim::testing {
namespace {

using SimWorkspaceTest = SimTest;

TEST_F(SimWorkspaceTest, RunningApplicationsAndTheFrontmostOne) {
    const auto apps = sim.workspace().runningApplications();
    ASSERT_GE(apps.size(), 7u);
    EXPECT_EQ(apps.front().bundleIdentifier, QStringLiteral("com.apple.finder"));
    auto front = sim.workspace().frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->localizedName, QStringLiteral("Safari"));
    EXPECT_TRUE(front->isActive);
    EXPECT_EQ(front->bundlePath, QStringLiteral("/Applications/Safari.app"));
    auto dock = sim.workspace().runningApplication(mac().dockPid());
    ASSERT_TRUE(dock);
    EXPECT_EQ(dock->activationPolicy, ActivationPolicy::accessory);
    EXPECT_FALSE(sim.workspace().runningApplication(99999).has_value());
}

// Only an app of the program's bundle is the program; a pid given to a launch is handed out once.
TEST_F(SimWorkspaceTest, TheProgramIsTheAppOfItsBundleAndAGivenPidIsNeverHandedOutTwice) {
    EXPECT_FALSE(sim.workspace().currentApplicationPid().has_value());
    const int next = mac().takePid() + 1;
    mac().installApplication("/Applications/Nimbrel.app", "com.nimbrel.app", "Nimbrel");
    mac().setLaunchPid("com.nimbrel.app", next);
    mac().startApplication(*mac().installedApplication("com.nimbrel.app"), false, false);
    EXPECT_EQ(sim.workspace().currentApplicationPid(), next);
    EXPECT_EQ(mac().takePid(), next + 1);
}

TEST_F(SimWorkspaceTest, OpeningAFolderTwiceFocusesItsWindow) {
    App& finder = appNamed(QStringLiteral("Finder"));
    const size_t before = finder.windows.size();
    EXPECT_TRUE(sim.workspace().open(QStringLiteral("file:///Users/anna/Documents/Projects")));
    EXPECT_EQ(appNamed(QStringLiteral("Finder")).windows.size(), before + 1);
    EXPECT_EQ(appNamed(QStringLiteral("Finder")).windows.front().document,
              QStringLiteral("file:///Users/anna/Documents/Projects/"));
    EXPECT_TRUE(sim.workspace().open(QStringLiteral("/Users/anna/Downloads")));
    EXPECT_EQ(appNamed(QStringLiteral("Finder")).windows.size(), before + 1);
    EXPECT_EQ(appNamed(QStringLiteral("Finder")).windows.front().title, QStringLiteral("Downloads"));
    EXPECT_FALSE(sim.workspace().open(QStringLiteral("/Users/anna/NoSuchFolder")));
    EXPECT_EQ(mac().recorder().texts(EventKind::workspace).back(),
              QStringLiteral("open /Users/anna/NoSuchFolder -> failed"));
}

TEST_F(SimWorkspaceTest, WebAndSettingsURLsGoToTheirApplications) {
    EXPECT_TRUE(sim.workspace().open(QStringLiteral("https://example.org/page")));
    EXPECT_EQ(appNamed(QStringLiteral("Safari")).windows.front().tabs.back().url,
              QStringLiteral("https://example.org/page"));
    EXPECT_TRUE(sim.workspace().open(
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility")));
    App* settings = mac().appWithBundleId(QStringLiteral("com.apple.systempreferences"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->windows.front().title, QStringLiteral("Accessibility"));
    EXPECT_EQ(mac().frontmostPid(), settings->pid);
    EXPECT_TRUE(sim.workspace().open(
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation")));
    EXPECT_EQ(mac().appWithBundleId(QStringLiteral("com.apple.systempreferences"))->windows.size(), 1u);
    EXPECT_EQ(mac().appWithBundleId(QStringLiteral("com.apple.systempreferences"))->windows.front().title,
              QStringLiteral("Automation"));
    EXPECT_FALSE(sim.workspace().open(QStringLiteral("gopher://old")));
}

TEST_F(SimWorkspaceTest, OpenApplicationCompletesLaterAndHonoursASlowLaunch) {
    mac().setLaunchDelay(QStringLiteral("com.apple.iCal"), 3.0);
    std::optional<RunningApplication> launched;
    bool called = false;
    sim.workspace().openApplication(QStringLiteral("/System/Applications/Calendar.app"), OpenConfiguration{},
                                    [&](std::optional<RunningApplication> app, std::optional<WorkspaceError> error) {
                                        called = true;
                                        launched = app;
                                        EXPECT_FALSE(error.has_value());
                                    });
    EXPECT_FALSE(called);
    scheduler.advance(2.9);
    EXPECT_FALSE(called);
    scheduler.advance(0.2);
    ASSERT_TRUE(called);
    ASSERT_TRUE(launched);
    EXPECT_EQ(launched->bundleIdentifier, QStringLiteral("com.apple.iCal"));
    EXPECT_TRUE(launched->isActive);

    bool failed = false;
    sim.workspace().openApplication(QStringLiteral("/Applications/Nothing.app"), OpenConfiguration{},
                                    [&](std::optional<RunningApplication> app, std::optional<WorkspaceError> error) {
                                        failed = !app && error.has_value();
                                    });
    EXPECT_FALSE(failed); // never inside the call
    scheduler.runUntilIdle();
    EXPECT_TRUE(failed);
}

TEST_F(SimWorkspaceTest, NoticesArriveAfterTheCallThatCausedThem) {
    std::vector<QString> seen;
    auto launch = sim.workspace().observeDidLaunch(
        [&](const RunningApplication& a) { seen.push_back(QStringLiteral("launch ") + *a.localizedName); });
    auto quit = sim.workspace().observeDidTerminate([&](const RunningApplication& a) {
        seen.push_back(QStringLiteral("quit %1 %2").arg(*a.localizedName).arg(a.isTerminated));
    });
    auto wake = sim.workspace().observeDidWake([&] { seen.push_back(QStringLiteral("wake")); });
    mac().startApplication(*mac().installedApplication(QStringLiteral("com.apple.TextEdit")), true, true);
    sim.workspace().terminate(appNamed(QStringLiteral("Notes")).pid);
    mac().wake();
    EXPECT_TRUE(seen.empty());
    scheduler.runUntilIdle();
    EXPECT_EQ(seen, (std::vector<QString>{"launch TextEdit", "quit Notes 1", "wake"}));
}

TEST_F(SimWorkspaceTest, AgentsAndAppsThatIgnoreQuitting) {
    mac().installApplication("/Applications/Helper.app", "com.example.helper", "Helper", ActivationPolicy::accessory);
    mac().installApplication("/Applications/Daemon.app", "com.example.daemon", "Daemon", ActivationPolicy::prohibited);
    for (const char* id : {"com.example.helper", "com.example.daemon"})
        mac().startApplication(*mac().installedApplication(id), true, true);
    EXPECT_EQ(appNamed("Helper").policy, ActivationPolicy::accessory);
    EXPECT_EQ(appNamed("Daemon").policy, ActivationPolicy::prohibited);
    EXPECT_TRUE(appNamed("Helper").windows.empty());

    appNamed("Mail").ignoresTerminate = true;
    EXPECT_FALSE(sim.workspace().terminate(appNamed("Mail").pid));
    EXPECT_NO_THROW(appNamed("Mail"));
    EXPECT_TRUE(sim.workspace().terminate(appNamed("Helper").pid));
    EXPECT_THROW(appNamed("Helper"), std::runtime_error);
}

TEST_F(SimWorkspaceTest, DesktopPicturesPerScreen) {
    const QString lake = QUrl::fromLocalFile(QStringLiteral("/Users/anna/Pictures/Wallpapers/Lake.jpg")).toString();
    EXPECT_TRUE(sim.workspace().desktopImageURL(2)->endsWith(QStringLiteral("Hello%20Orange.heic")));
    WorkspaceError error;
    EXPECT_TRUE(sim.workspace().setDesktopImageURL(lake, 2, &error));
    EXPECT_EQ(sim.workspace().desktopImageURL(2), lake);
    EXPECT_NE(sim.workspace().desktopImageURL(1), lake);
    EXPECT_FALSE(sim.workspace().setDesktopImageURL(QStringLiteral("file:///Users/anna/missing.png"), 1, &error));
    EXPECT_FALSE(error.localizedDescription.isEmpty());
    EXPECT_FALSE(sim.workspace().setDesktopImageURL(lake, 7, &error));
    sim.workspace().failDesktopPicture(1, QStringLiteral("Permission denied"));
    EXPECT_FALSE(sim.workspace().setDesktopImageURL(lake, 1, &error));
    EXPECT_EQ(error.localizedDescription, QStringLiteral("Permission denied"));
    EXPECT_TRUE(sim.workspace().setDesktopImageURL(lake, 1, &error));
}

TEST_F(SimWorkspaceTest, InstalledBundlesAndTheirInfo) {
    EXPECT_EQ(sim.workspace().urlForApplication(QStringLiteral("com.google.Chrome")),
              QStringLiteral("/Applications/Google Chrome.app"));
    EXPECT_FALSE(sim.workspace().urlForApplication(QStringLiteral("com.example.none")).has_value());
    EXPECT_EQ(sim.workspace().bundleIdentifier(QStringLiteral("/Applications/Safari.app")),
              QStringLiteral("com.apple.Safari"));
    EXPECT_EQ(sim.workspace()
                  .infoPlistValue(QStringLiteral("/Applications/iTerm.app"), QStringLiteral("CFBundleName"))
                  .toString(),
              QStringLiteral("iTerm"));
    EXPECT_EQ(sim.workspace().displayName(QStringLiteral("/Applications/Google Chrome.app")),
              QStringLiteral("Google Chrome"));
    // A damaged Info.plist reads as nothing.
    QFile plist(mac().realPath(QStringLiteral("/Applications/Safari.app/Contents/Info.plist")));
    ASSERT_TRUE(plist.open(QIODevice::WriteOnly | QIODevice::Truncate));
    plist.write("<plist><dict><key>CFBundleIdentifier</key>");
    plist.close();
    EXPECT_FALSE(sim.workspace().bundleIdentifier(QStringLiteral("/Applications/Safari.app")).has_value());
    EXPECT_FALSE(sim.workspace().urlForApplication(QStringLiteral("com.apple.Safari")).has_value());
    // Nor is an endless or a huge one read whole: a link to a device, a file of a gigabyte.
    const QString chrome = mac().realPath(QStringLiteral("/Applications/Google Chrome.app/Contents/Info.plist"));
    ASSERT_TRUE(QFile::remove(chrome));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), chrome));
    ASSERT_TRUE(
        QFile::resize(mac().realPath(QStringLiteral("/Applications/iTerm.app/Contents/Info.plist")), 1024 * kMebibyte));
    EXPECT_FALSE(sim.workspace().urlForApplication(QStringLiteral("com.google.Chrome")).has_value());
    EXPECT_FALSE(sim.workspace().bundleIdentifier(QStringLiteral("/Applications/Google Chrome.app")).has_value());
    EXPECT_FALSE(mac().installedApplicationAt(QStringLiteral("/Applications/iTerm.app")).has_value());
    EXPECT_TRUE(sim.workspace().urlForApplication(QStringLiteral("com.apple.finder")).has_value()) << "the others stay";
}

TEST_F(SimWorkspaceTest, ScreensAndCoordinateConversion) {
    const auto screens = sim.screens().screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1728, 1117));
    EXPECT_GT(screens[0].visibleFrame.minY() - screens[0].frame.minY(), 20); // a bottom Dock
    EXPECT_NE(screens[1].frame.height(), screens[0].frame.height());
    EXPECT_EQ(sim.screens().mainScreen()->id, 1);
    // An external-screen rectangle: y_ax = primary maxY - maxY.
    EXPECT_EQ(sim.screens().accessibilityRect(Rect(1728, 37, 960, 1080)), Rect(1728, 0, 960, 1080));
    EXPECT_EQ(sim.screens().appKitPoint(sim.screens().accessibilityPoint({5, 6})), (Point{5, 6}));
}

} // namespace
} // namespace nimbrel::sim::testing
