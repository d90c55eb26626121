#include "BrowserFixture.h"
#include "engine/EngineServices.h"
#include "engine/NimbrelEngine.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

using Mode = NimbrelBrowserOpeningMode;
using Placement = NimbrelWindowPlacement;

// The whole program on the simulated Mac: Dock clicks go through the engine to the real
// window manager, which scripts the simulated browsers and terminals.
class BrowserDockScenario : public BrowserFixture {
  protected:
    BrowserDockScenario() {
        engine = std::make_unique<NimbrelEngine>(
            platform, NimbrelEngine::Options{EngineServices::standard(platform), wm.get(), kNimbrelBundleIdentifier});
        engine->startMonitoring();
    }
    ~BrowserDockScenario() override { engine.reset(); }

    // One rule: a single click on `trigger` runs `actions`.
    void storeRule(const QString& trigger, const QString& bundleId, std::vector<NimbrelRuleAction> actions) {
        NimbrelRule rule;
        rule.id = Uuid::random();
        rule.name = QStringLiteral("Morning");
        rule.trigger.clickCount = 1;
        rule.trigger.app = NimbrelRuleAppTarget{trigger, bundleId, std::nullopt};
        rule.actions = std::move(actions);
        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules({rule}, json::DateForm::SecondsSince2001));
    }
    static NimbrelRuleAction site(const QString& browser, const QString& bundleId, const QString& url,
                                  Placement placement) {
        return NimbrelRuleAction::openBrowserWebsite(website(browser, bundleId, url, Mode::newWindow, placement));
    }
    // Presses a Dock tile, releases it 0.05 s later as a person would, and lets `settle` pass.
    void clickAndSettle(const QString& title, double settle) {
        const auto tiles = mac.dockTiles();
        const auto tile =
            std::find_if(tiles.begin(), tiles.end(), [&](const sim::DockTile& t) { return t.title == title; });
        ASSERT_NE(tile, tiles.end()) << title.toStdString();
        mac.mouseDown({tile->frame.midX(), tile->frame.midY()});
        scheduler.advance(0.05);
        mac.mouseUp();
        scheduler.advance(settle);
    }
    void closeAllWindows(sim::App& a) {
        while (!a.windows.empty())
            mac.closeWindow(a, a.windows.front().id);
    }
    int count(const QString& title) const { return countActivities(title); }

    // Opens the three websites with a click on the browser's tile and checks each window.
    void opensThreePlacedWindows(const QString& tile, const QString& bundleId) {
        storeRule(tile, bundleId,
                  {site(tile, bundleId, QStringLiteral("one.example"), Placement::leftHalf),
                   site(tile, bundleId, QStringLiteral("two.example"), Placement::rightHalf),
                   site(tile, bundleId, QStringLiteral("three.example"), Placement::bottomLeft)});
        clickAndSettle(tile, 4);
        ASSERT_EQ(count(QStringLiteral("Browser Group Opened")), 1) << activityTitles().join(", ").toStdString();
        for (const auto& [url, p] : {std::pair{QStringLiteral("https://one.example"), Placement::leftHalf},
                                     std::pair{QStringLiteral("https://two.example"), Placement::rightHalf},
                                     std::pair{QStringLiteral("https://three.example"), Placement::bottomLeft}}) {
            sim::Window* w = windowShowing(app(bundleId), url);
            ASSERT_TRUE(w) << url.toStdString();
            EXPECT_EQ(appKitFrame(*w), expectedFrame(p, 1)) << url.toStdString();
            EXPECT_FALSE(w->minimized);
        }
    }
    int groupMinimized(const QString& bundleId) {
        int n = 0;
        for (const QString& url : {QStringLiteral("https://one.example"), QStringLiteral("https://two.example"),
                                   QStringLiteral("https://three.example")})
            n += windowShowing(app(bundleId), url)->minimized;
        return n;
    }

    std::unique_ptr<NimbrelEngine> engine;
};

TEST_F(BrowserDockScenario, SafariGroupOpensPlacedThenTheNextClicksMinimizeAndRestoreIt) {
    closeAllWindows(app(sim::kSafariBundleId));
    opensThreePlacedWindows(QStringLiteral("Safari"), sim::kSafariBundleId);

    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(count(QStringLiteral("Browser Group Minimized")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 3);

    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(count(QStringLiteral("Browser Group Restored")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 0);
    sim::App& safari = app(sim::kSafariBundleId);
    EXPECT_EQ(appKitFrame(*windowShowing(safari, QStringLiteral("https://one.example"))),
              expectedFrame(Placement::leftHalf, 1));
    EXPECT_EQ(appKitFrame(*windowShowing(safari, QStringLiteral("https://two.example"))),
              expectedFrame(Placement::rightHalf, 1));
    EXPECT_EQ(appKitFrame(*windowShowing(safari, QStringLiteral("https://three.example"))),
              expectedFrame(Placement::bottomLeft, 1));
    // The rule did not fire again: the group took both clicks.
    EXPECT_EQ(count(QStringLiteral("Browser Group Opened")), 1);
}

TEST_F(BrowserDockScenario, SafariGroupBesideOtherWindowsSwapsWithThem) {
    opensThreePlacedWindows(QStringLiteral("Safari"), sim::kSafariBundleId);
    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(count(QStringLiteral("Browser Group Minimized")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 3);
    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(count(QStringLiteral("Browser Group Restored")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 0);
    // Safari's own two windows stepped aside.
    EXPECT_TRUE(windowShowing(app(sim::kSafariBundleId), QStringLiteral("https://www.apple.com/newsroom/"))->minimized);
}

TEST_F(BrowserDockScenario, ChromiumGroupOpensPlacedThenTheNextClicksMinimizeAndRestoreIt) {
    const QString chrome = QStringLiteral("com.google.Chrome");
    closeAllWindows(app(chrome));
    opensThreePlacedWindows(QStringLiteral("Google Chrome"), chrome);
    clickAndSettle(QStringLiteral("Google Chrome"), 2);
    EXPECT_EQ(groupMinimized(chrome), 3);
    clickAndSettle(QStringLiteral("Google Chrome"), 2);
    EXPECT_EQ(groupMinimized(chrome), 0);
    EXPECT_EQ(appKitFrame(*windowShowing(app(chrome), QStringLiteral("https://two.example"))),
              expectedFrame(Placement::rightHalf, 1));
    EXPECT_EQ(count(QStringLiteral("Browser Group Opened")), 1);
}

TEST_F(BrowserDockScenario, DeniedAutomationIsRecordedEachTimeButTheAlertShowsOncePerRun) {
    const QString chrome = QStringLiteral("com.google.Chrome");
    appleScript.failScriptsFor(chrome, kAppleScriptNotAuthorized);
    alerts.answerNextAlert(1);
    storeRule(QStringLiteral("Notes"), QStringLiteral("com.apple.Notes"),
              {site(QStringLiteral("Google Chrome"), chrome, QStringLiteral("one.example"), Placement::leftHalf),
               site(QStringLiteral("Google Chrome"), chrome, QStringLiteral("two.example"), Placement::rightHalf)});
    clickAndSettle(QStringLiteral("Notes"), 3);
    EXPECT_EQ(count(QStringLiteral("Browser Group Failed")), 1);
    // Once for the group script, once for each website then tried on its own.
    EXPECT_EQ(count(QStringLiteral("Browser Automation Permission Needed")), 3);
    EXPECT_EQ(count(QStringLiteral("Browser Window Failed")), 2);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);

    clickAndSettle(QStringLiteral("Notes"), 3);
    EXPECT_EQ(count(QStringLiteral("Browser Group Failed")), 2);
    EXPECT_EQ(count(QStringLiteral("Browser Automation Permission Needed")), 6);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
}

TEST_F(BrowserDockScenario, TerminalActionWritesAPrivateFileAndRemovesIt30SecondsLater) {
    TerminalScriptRuleAction script;
    script.terminalApp.displayName = QStringLiteral("Terminal");
    script.commands = {TerminalScriptCommand{Uuid::random(), QStringLiteral("git pull")}};
    storeRule(QStringLiteral("Notes"), QStringLiteral("com.apple.Notes"),
              {NimbrelRuleAction::runTerminalScript(script)});
    clickAndSettle(QStringLiteral("Notes"), 0.5);
    EXPECT_TRUE(count(QStringLiteral("Terminal Script Running")) == 1);
    const QString folder = platform.locations.privateTemporary;
    const QStringList files = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString path = folder + QLatin1Char('/') + files.front();
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    // The terminal was told to run that file.
    EXPECT_EQ(app(sim::kTerminalBundleId).windows.front().commands.back(),
              QStringLiteral("bash '%1'; rm -f '%1'").arg(path));
    scheduler.advance(29);
    EXPECT_TRUE(QFileInfo::exists(path));
    scheduler.advance(1);
    EXPECT_FALSE(QFileInfo::exists(path));
}

} // namespace
