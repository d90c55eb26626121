#include "BrowserFixture.h"
#include "engine/BrowserScripts.h"
#include "model/AppCapabilities.h"

#include <set>

using namespace nimbrel;
using namespace nimbrel::test;
namespace bs = nimbrel::browserscripts;

namespace {

using Mode = NimbrelBrowserOpeningMode;
using Placement = NimbrelWindowPlacement;

std::vector<NimbrelRuleAction> rule(const std::vector<OpenBrowserWebsiteRuleAction>& websites) {
    std::vector<NimbrelRuleAction> out;
    for (const auto& w : websites)
        out.push_back(NimbrelRuleAction::openBrowserWebsite(w));
    return out;
}

// Runs the simulated Mac's scripts, but fails those holding `fragment` with `number`.
class FailingSome final : public AppleScriptRunner {
  public:
    FailingSome(AppleScriptRunner& inner, QString fragment, int number)
        : inner_(inner), fragment_(std::move(fragment)), number_(number) {}
    std::optional<QVariantMap> compile(const QString& source) override { return inner_.compile(source); }
    AppleScriptResult execute(const QString& source) override {
        if (!source.contains(fragment_)) return inner_.execute(source);
        AppleScriptResult r;
        r.error = QVariantMap{{kAppleScriptErrorMessage, QStringLiteral("Safari got an error.")},
                              {kAppleScriptErrorNumber, number_}};
        return r;
    }

  private:
    AppleScriptRunner& inner_;
    QString fragment_;
    int number_;
};

class BrowserGroupOpenerTest : public BrowserFixture {
  protected:
    const QStringList urls{QStringLiteral("https://one.example/"), QStringLiteral("https://two.example/"),
                           QStringLiteral("https://three.example/")};
    std::vector<OpenBrowserWebsiteRuleAction> safariWindows(const std::vector<Placement>& placements) {
        std::vector<OpenBrowserWebsiteRuleAction> out;
        for (size_t i = 0; i < placements.size(); ++i)
            out.push_back(safari(urls[qsizetype(i)], Mode::newWindow, placements[i]));
        return out;
    }
    QStringList opened(sim::App& browser) {
        QStringList out;
        for (const sim::Window& w : browser.windows)
            for (const sim::Tab& t : w.tabs)
                if (urls.contains(t.url)) out << t.url;
        out.sort();
        return out;
    }
};

TEST_F(BrowserGroupOpenerTest, ThreeSafariWindowsOpenInOneScriptArePlacedAndBecomeAGroup) {
    const auto actions = safariWindows({Placement::leftHalf, Placement::rightHalf, Placement::topLeft});
    wm->executeRuleActions(rule(actions));
    const double t0 = lastEventTime();
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Browser Group Opened"}));
    EXPECT_EQ(activities[1].message, "Opened 3 websites in Safari.");
    EXPECT_TRUE(log.contains("NimbrelWindowManager: executing browser group actions=3 "
                             "modes=[\"newWindow\", \"newWindow\", \"newWindow\"] "
                             "urls=[\"https://one.example/\", \"https://two.example/\", \"https://three.example/\"]"));
    EXPECT_EQ(appleScript.sources(), (QStringList{bs::safariStarterWindowCleanup(), bs::safariGroupNewWindows(urls)}));
    // The two windows Safari already showed were noted before anything opened.
    EXPECT_EQ(wm->browserGroupPreexistingWindowKeysByBundleIdentifier[sim::kSafariBundleId].size(), 2);
    EXPECT_EQ(opened(safariApp()),
              (QStringList{"https://one.example/", "https://three.example/", "https://two.example/"}));

    scheduler.advance(3.3);
    EXPECT_EQ(positionWriteTimes(t0), (std::vector<double>{0.85, 1.35, 1.95, 2.65, 3.25}));
    EXPECT_EQ(appKitFrame(*windowShowing(safariApp(), urls[0])), expectedFrame(Placement::leftHalf, 1));
    EXPECT_EQ(appKitFrame(*windowShowing(safariApp(), urls[1])), expectedFrame(Placement::rightHalf, 1));
    EXPECT_EQ(appKitFrame(*windowShowing(safariApp(), urls[2])), expectedFrame(Placement::topLeft, 1));
    const auto group = wm->browserRuleGroupsByBundleIdentifier[sim::kSafariBundleId];
    ASSERT_EQ(group.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(group[i], element(safariApp(), *windowShowing(safariApp(), urls[qsizetype(i)])));
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Browser Group Opened"}));
}

TEST_F(BrowserGroupOpenerTest, TheSnapshotNotesTitledWindowsOnlyAndSurvivesABrowserThatIsGone) {
    const auto actions = std::vector<OpenBrowserWebsiteRuleAction>{chrome(urls[0]), chrome(urls[1])};
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://kept.example/"));
    mac.newBrowserWindow(chromeApp(), QString()); // a new-tab page: not a window of the user's yet
    std::set<QString> expected;
    for (const sim::Window& w : chromeApp().windows)
        if (normalizedAppName(w.title) != QStringLiteral("newtab"))
            expected.insert(normalizedAppName(w.title) + QLatin1Char('-'));
    ASSERT_GE(expected.size(), 2u);

    wm->browsers().opener().snapshotPreexistingBrowserWindows(actions);
    const QSet<QString> keys =
        wm->browserGroupPreexistingWindowKeysByBundleIdentifier[QStringLiteral("com.google.Chrome")];
    EXPECT_EQ(std::set<QString>(keys.begin(), keys.end()), expected);
    EXPECT_FALSE(keys.contains(QStringLiteral("newtab-")));

    // With the browser gone, the entry of the earlier group stays as it was.
    ASSERT_TRUE(mac.terminate(chromeApp().pid));
    wm->browsers().opener().snapshotPreexistingBrowserWindows(actions);
    EXPECT_EQ(wm->browserGroupPreexistingWindowKeysByBundleIdentifier[QStringLiteral("com.google.Chrome")], keys);
}

TEST_F(BrowserGroupOpenerTest, OnlyTheFirstPairIsRaised) {
    wm->executeRuleActions(rule(safariWindows({Placement::leftHalf, Placement::rightHalf})));
    scheduler.advance(0.9);
    // One capture step: the newest window (the last action's) is placed and raised.
    const auto raises = mac.recorder().texts(sim::EventKind::accessibilityAction);
    ASSERT_EQ(std::count_if(raises.begin(), raises.end(), [](const QString& t) { return t.contains("AXRaise"); }), 1);
    EXPECT_EQ(safariApp().windows.front().tabs.front().url, urls[1]);
}

TEST_F(BrowserGroupOpenerTest, ASingleWebsiteIsPlacedButMakesNoGroup) {
    wm->executeRuleActions(rule({chrome(QStringLiteral("solo.example"), Mode::newWindow, Placement::leftHalf)}));
    const double t0 = lastEventTime();
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Opened"});
    EXPECT_EQ(activities[0].message, "Opened 1 websites in Google Chrome.");
    EXPECT_EQ(appleScript.sources(),
              QStringList{bs::chromiumGroupNewWindows(QStringLiteral("com.google.Chrome"),
                                                      {QStringLiteral("https://solo.example")})});
    scheduler.advance(3.3);
    EXPECT_EQ(positionWriteTimes(t0).size(), 5u);
    EXPECT_EQ(appKitFrame(*windowShowing(chromeApp(), QStringLiteral("https://solo.example"))),
              expectedFrame(Placement::leftHalf, 1));
    EXPECT_EQ(wm->browserRuleGroupsByBundleIdentifier.count(QStringLiteral("com.google.Chrome")), 0u);
}

TEST_F(BrowserGroupOpenerTest, WindowsInFrontAreNeitherPlacedNorGrouped) {
    wm->executeRuleActions(rule(safariWindows({Placement::front, Placement::front, Placement::front})));
    EXPECT_EQ(appleScript.sources().back().count(QStringLiteral("make new document")), 3);
    scheduler.advance(4);
    EXPECT_EQ(countWrites(QStringLiteral("AXPosition")), 0);
    EXPECT_EQ(wm->browserRuleGroupsByBundleIdentifier.count(sim::kSafariBundleId), 0u);
}

TEST_F(BrowserGroupOpenerTest, NewTabsGoIntoTheFrontWindow) {
    wm->executeRuleActions(
        rule({chrome(urls[0], Mode::newTab), chrome(urls[1], Mode::newTab), chrome(urls[2], Mode::newTab)}));
    EXPECT_EQ(appleScript.sources(), QStringList{bs::chromiumGroupNewTabs(QStringLiteral("com.google.Chrome"), urls)});
    EXPECT_EQ(urlsOf(chromeApp().windows.front()).mid(2), urls);
}

TEST_F(BrowserGroupOpenerTest, MixedModesOpenOneByOneAtTheShortStep) {
    wm->executeRuleActions(
        rule({chrome(urls[0], Mode::newTab), chrome(urls[1], Mode::newTab), chrome(urls[2], Mode::newWindow)}));
    EXPECT_TRUE(appleScript.sources().isEmpty());
    EXPECT_EQ(countActivities("Website Opened"), 0);
    scheduler.advance(0);
    EXPECT_EQ(countActivities("Website Opened"), 1);
    scheduler.advance(0.31);
    EXPECT_EQ(countActivities("Website Opened"), 1);
    scheduler.advance(0.02);
    EXPECT_EQ(countActivities("Website Opened"), 2);
    scheduler.advance(0.32);
    EXPECT_EQ(countActivities("Website Opened"), 3);
    EXPECT_EQ(appleScript.sources().size(), 3);
    EXPECT_EQ(opened(chromeApp()),
              (QStringList{"https://one.example/", "https://three.example/", "https://two.example/"}));
}

TEST_F(BrowserGroupOpenerTest, AnUnsupportedBrowserOpensOneByOneAtTheLongStep) {
    ASSERT_TRUE(mac.installApplication(QStringLiteral("/Applications/Firefox.app"),
                                       QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox")));
    std::vector<OpenBrowserWebsiteRuleAction> actions;
    for (const QString& url : urls)
        actions.push_back(
            website(QStringLiteral("Firefox"), QStringLiteral("org.mozilla.firefox"), url, Mode::newWindow));
    wm->executeRuleActions(rule(actions));
    scheduler.advance(0);
    EXPECT_EQ(countActivities("Website Opened"), 1);
    scheduler.advance(0.89);
    EXPECT_EQ(countActivities("Website Opened"), 1);
    scheduler.advance(0.02);
    EXPECT_EQ(countActivities("Website Opened"), 2);
    scheduler.advance(0.9);
    EXPECT_EQ(countActivities("Website Opened"), 3);
    EXPECT_TRUE(appleScript.sources().isEmpty());
    EXPECT_EQ(countActivities("Browser Group Failed"), 0);
}

TEST_F(BrowserGroupOpenerTest, ActionsNamingDifferentBrowsersOpenOneByOne) {
    wm->executeRuleActions(rule({safari(urls[0]), chrome(urls[1])}));
    EXPECT_TRUE(appleScript.sources().front() == bs::safariStarterWindowCleanup());
    EXPECT_EQ(appleScript.sources().size(), 1);
    scheduler.advance(1);
    EXPECT_EQ(countActivities("Website Opened"), 2);
    EXPECT_EQ(countActivities("Browser Group Failed"), 0);
}

TEST_F(BrowserGroupOpenerTest, SafarisBlankStarterWindowIsClosedFirst) {
    const std::uint64_t blank = mac.newBrowserWindow(safariApp(), QString()).id;
    const std::uint64_t favorites = mac.newBrowserWindow(safariApp(), QStringLiteral("favorites://")).id;
    const size_t before = safariApp().windows.size();
    wm->executeRuleActions(rule(safariWindows({Placement::leftHalf, Placement::rightHalf})));
    EXPECT_FALSE(mac.window(safariApp().pid, blank));
    EXPECT_FALSE(mac.window(safariApp().pid, favorites));
    EXPECT_EQ(safariApp().windows.size(), before - 2 + 2);
    scheduler.advance(3.3);
    EXPECT_EQ(wm->browserRuleGroupsByBundleIdentifier[sim::kSafariBundleId].size(), 2u);
}

TEST_F(BrowserGroupOpenerTest, AFailedCleanupIsRecordedAndTheGroupStillOpens) {
    FailingSome runner(appleScript, QStringLiteral("repeat with safariWindow"), -1728);
    platform.appleScript = &runner;
    wm->executeRuleActions(rule(safariWindows({Placement::leftHalf, Placement::rightHalf})));
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Browser Group Opened", "Safari Cleanup Failed"}));
    EXPECT_EQ(activities[2].message, "Could not close blank Safari starter windows.");
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: close blank Safari starter windows failed: ").size(), 1);
    EXPECT_EQ(opened(safariApp()), (QStringList{"https://one.example/", "https://two.example/"}));
}

TEST_F(BrowserGroupOpenerTest, DeniedAutomationShowsTheNoticeOnceAndOpensOneByOne) {
    appleScript.failScriptsFor(QStringLiteral("com.google.Chrome"), kAppleScriptNotAuthorized);
    alerts.answerNextAlert(1);
    wm->executeRuleActions(rule({chrome(urls[0]), chrome(urls[1])}));
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Browser Group Opened", "Browser Group Failed",
                                             "Browser Automation Permission Needed"}));
    EXPECT_EQ(activities[2].message, "AppleScript failed for Google Chrome.");
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: browser group AppleScript failed for com.google.Chrome: ").size(),
              1);
    ASSERT_EQ(alerts.alertsShown().size(), 1u);
    EXPECT_EQ(alerts.alertsShown().front().messageText, "Browser Automation Permission Needed");

    // Then one by one, each refused in turn: recorded each time, the alert never again.
    scheduler.advance(1);
    EXPECT_EQ(countActivities("Browser Window Failed"), 2);
    EXPECT_EQ(countActivities("Browser Automation Permission Needed"), 3);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
}

TEST_F(BrowserGroupOpenerTest, OtherScriptErrorsOpenOneByOneWithoutTheNotice) {
    appleScript.failScriptsFor(QStringLiteral("com.google.Chrome"), kAppleScriptAppNotRunning);
    wm->executeRuleActions(rule({chrome(urls[0], Mode::newTab), chrome(urls[1], Mode::newTab)}));
    EXPECT_EQ(countActivities("Browser Group Failed"), 1);
    // The group script's own failure asks for nothing; the one-by-one tabs do, as they fail too.
    EXPECT_EQ(countActivities("Browser Automation Permission Needed"), 0);
    EXPECT_TRUE(alerts.alertsShown().empty());
}

TEST_F(BrowserGroupOpenerTest, AGroupScriptThatDoesNotCompileFallsBackToOneByOne) {
    UncompilableScripts runner;
    platform.appleScript = &runner;
    wm->executeRuleActions(rule(safariWindows({Placement::front, Placement::front})));
    EXPECT_EQ(countActivities("Safari Cleanup Failed"), 1);
    EXPECT_EQ(countActivities("Browser Group Failed"), 1);
    scheduler.advance(1);
    EXPECT_EQ(countActivities("Website Opened"), 2);
    EXPECT_EQ(runner.executed, 0);
}

TEST_F(BrowserGroupOpenerTest, FiringTheRuleAgainTogglesItsOpenGroupInsteadOfReopening) {
    const auto actions = safariWindows({Placement::leftHalf, Placement::rightHalf});
    wm->executeRuleActions(rule(actions));
    scheduler.advance(3.3);
    const int scripts = int(appleScript.sources().size());
    activities.clear();

    wm->executeRuleActions(rule(actions));
    EXPECT_EQ(activityTitles(),
              (QStringList{"Rule Group Triggered", "Browser Group Opened", "Browser Group Minimized"}));
    EXPECT_EQ(appleScript.sources().size(), scripts);
    EXPECT_TRUE(windowShowing(safariApp(), urls[0])->minimized);

    // With one of its windows closed the rule opens its websites anew.
    scheduler.advance(2);
    mac.closeWindow(safariApp(), windowShowing(safariApp(), urls[1])->id);
    wm->executeRuleActions(rule(actions));
    EXPECT_EQ(appleScript.sources().size(), scripts + 2);
}

} // namespace
