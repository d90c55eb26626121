#include "BrowserFixture.h"
#include "engine/BrowserScripts.h"

using namespace nimbrel;
using namespace nimbrel::test;
namespace bs = nimbrel::browserscripts;

namespace {

using WebsiteOpenerTest = BrowserFixture;
using Mode = NimbrelBrowserOpeningMode;
using Placement = NimbrelWindowPlacement;

TEST_F(WebsiteOpenerTest, SafariNewWindowGoesThroughItsScriptAndIsPlacedFourTimes) {
    const size_t before = safariApp().windows.size();
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(
        safari(QStringLiteral(" example.com/a "), Mode::newWindow, Placement::leftHalf)));
    const double t0 = lastEventTime();
    EXPECT_EQ(activityTitles(), QStringList{"Website Opened"});
    EXPECT_EQ(activities[0].message, "Opened https://example.com/a in Safari.");
    EXPECT_TRUE(log.contains("NimbrelWindowManager: opening browser website https://example.com/a in Safari"));
    ASSERT_EQ(appleScript.sources().size(), 1);
    EXPECT_EQ(appleScript.sources().front(), bs::safariNewWindow(QStringLiteral("https://example.com/a")));
    ASSERT_EQ(safariApp().windows.size(), before + 1);
    EXPECT_EQ(urlsOf(safariApp().windows.front()), QStringList{"https://example.com/a"});

    scheduler.advance(3);
    // Each attempt waits 0.12 s more before it moves the window.
    EXPECT_EQ(positionWriteTimes(t0), (std::vector<double>{0.57, 1.07, 1.67, 2.32}));
    sim::Window* opened = windowShowing(safariApp(), QStringLiteral("https://example.com/a"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(appKitFrame(*opened), expectedFrame(Placement::leftHalf, 1));
}

TEST_F(WebsiteOpenerTest, ChromiumNewTabFillsANewTabPageAndPlacesNothing) {
    sim::Window& front = chromeApp().windows.front();
    const size_t tabs = front.tabs.size();
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(
        chrome(QStringLiteral("https://b.example/"), Mode::newTab, Placement::leftHalf)));
    ASSERT_EQ(appleScript.sources().size(), 1);
    EXPECT_EQ(appleScript.sources().front(),
              bs::chromiumNewTab(QStringLiteral("com.google.Chrome"), QStringLiteral("https://b.example/")));
    EXPECT_EQ(chromeApp().windows.front().tabs.size(), tabs + 1);
    EXPECT_EQ(chromeApp().windows.front().tabs.back().url, QStringLiteral("https://b.example/"));
    scheduler.advance(3);
    EXPECT_EQ(countWrites(QStringLiteral("AXPosition")), 0);
    EXPECT_EQ(countWrites(QStringLiteral("AXSize")), 0);
}

TEST_F(WebsiteOpenerTest, NewWindowInFrontIsNeverPlaced) {
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(chrome(QStringLiteral("https://c.example/"))));
    EXPECT_EQ(appleScript.sources().front(),
              bs::chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://c.example/")));
    EXPECT_TRUE(windowShowing(chromeApp(), QStringLiteral("https://c.example/")));
    scheduler.advance(3);
    EXPECT_EQ(countWrites(QStringLiteral("AXPosition")), 0);
}

TEST_F(WebsiteOpenerTest, AnAddressThatIsNoURLOpensTheBrowserItself) {
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(safari(QStringLiteral("   "), Mode::newTab)));
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(safari(QStringLiteral("https://[broken"), Mode::newTab)));
    EXPECT_EQ(activityTitles(), (QStringList{"App Opened", "App Opened"}));
    EXPECT_EQ(countActivities("Website Opened"), 0);
    EXPECT_TRUE(appleScript.sources().isEmpty());
}

TEST_F(WebsiteOpenerTest, AnUnscriptedBrowserGetsTheURLInTheBackgroundAndIsStillPlaced) {
    ASSERT_TRUE(mac.installApplication(QStringLiteral("/Applications/Firefox.app"),
                                       QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox")));
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(
        website(QStringLiteral("Firefox"), QStringLiteral("org.mozilla.firefox"), QStringLiteral("f.example"),
                Mode::newWindow, Placement::rightHalf)));
    EXPECT_TRUE(appleScript.sources().isEmpty());
    EXPECT_EQ(countEvents(sim::EventKind::workspace,
                          QStringLiteral("open [https://f.example] with /Applications/Firefox.app activates=false")),
              1);
    scheduler.advance(3);
    sim::App* firefox = mac.appWithBundleId(QStringLiteral("org.mozilla.firefox"));
    ASSERT_TRUE(firefox);
    sim::Window* shown = windowShowing(*firefox, QStringLiteral("https://f.example"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(appKitFrame(*shown), expectedFrame(Placement::rightHalf, 1));
    EXPECT_EQ(activityTitles(), QStringList{"Website Opened"});
}

TEST_F(WebsiteOpenerTest, ABrowserWithoutBundleIdentifierUsesTheDefaultHandler) {
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(
        website(QStringLiteral("Some Browser"), std::nullopt, QStringLiteral("https://d.example/"), Mode::newWindow)));
    EXPECT_TRUE(appleScript.sources().isEmpty());
    EXPECT_EQ(countEvents(sim::EventKind::workspace, QStringLiteral("open https://d.example/ -> ok")), 1);
}

TEST_F(WebsiteOpenerTest, ARefusedNewWindowAsksForPermissionAndTriesNoTab) {
    appleScript.failScriptsFor(QStringLiteral("com.google.Chrome"), kAppleScriptNotAuthorized);
    alerts.answerNextAlert(1);
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(
        chrome(QStringLiteral("https://e.example/"), Mode::newWindow, Placement::leftHalf)));
    EXPECT_EQ(activityTitles(),
              (QStringList{"Website Opened", "Browser Window Failed", "Browser Automation Permission Needed"}));
    EXPECT_EQ(activities[1].message, "Could not open a new window in Google Chrome.");
    EXPECT_EQ(
        log.startingWith("NimbrelWindowManager: browser new-window AppleScript failed for com.google.Chrome: ").size(),
        1);
    EXPECT_EQ(appleScript.sources().size(), 1);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
    // Nothing opened, so none of Chrome's own windows is moved by the placement attempts.
    scheduler.advance(3);
    EXPECT_EQ(countWrites(QStringLiteral("AXPosition")), 0);

    // A second refusal is recorded again; the alert is not shown again.
    wm->executeAction(
        NimbrelRuleAction::openBrowserWebsite(chrome(QStringLiteral("https://e.example/"), Mode::newTab)));
    EXPECT_EQ(countActivities("Browser Tab Failed"), 1);
    EXPECT_EQ(countActivities("Browser Automation Permission Needed"), 2);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
    EXPECT_EQ(countEvents(sim::EventKind::workspace, QStringLiteral("open [")), 0);
}

TEST_F(WebsiteOpenerTest, AScriptThatDoesNotCompileIsAFailure) {
    UncompilableScripts runner;
    platform.appleScript = &runner;
    wm->executeAction(
        NimbrelRuleAction::openBrowserWebsite(safari(QStringLiteral("https://g.example/"), Mode::newWindow)));
    wm->executeAction(
        NimbrelRuleAction::openBrowserWebsite(safari(QStringLiteral("https://g.example/"), Mode::newTab)));
    EXPECT_EQ(runner.executed, 0);
    EXPECT_EQ(countActivities("Browser Window Failed"), 1);
    EXPECT_EQ(countActivities("Browser Tab Failed"), 1);
    EXPECT_EQ(countActivities("Browser Automation Permission Needed"), 2);
}

TEST_F(WebsiteOpenerTest, AWorkspaceFailureIsRecordedOnALaterTurn) {
    wm->browsers().websites().handleWebsiteOpenCompletion(std::nullopt);
    wm->browsers().websites().handleWebsiteOpenCompletion(WorkspaceError{
        QStringLiteral("NSCocoaErrorDomain"), 4, QStringLiteral("The application could not be launched.")});
    EXPECT_TRUE(log.contains(
        "NimbrelWindowManager: failed to open website in selected browser: The application could not be launched."));
    EXPECT_TRUE(activities.empty());
    scheduler.advance(0);
    EXPECT_EQ(activityTitles(), QStringList{"Website Open Failed"});
    EXPECT_EQ(activities[0].message, "The application could not be launched.");
}

} // namespace
