#include "SimEngineFixture.h"
#include "engine/PlacementGeometry.h"
#include "engine/WindowManager.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/simulated/SimAlerts.h"
#include "platform/simulated/SimAppleScript.h"

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
class BrowserDockScenario : public SimEngineFixture {
protected:
    BrowserDockScenario() : appleScript(mac), alerts(mac) {
        engine.reset();
        platform.appleScript = &appleScript;
        platform.alerts = &alerts;
        wm = std::make_unique<WindowManager>(platform);
        engine = std::make_unique<NimbrelEngine>(
            platform, NimbrelEngine::Options{EngineServices::standard(platform), wm.get(), kNimbrelBundleIdentifier});
        engine->startMonitoring();
    }
    ~BrowserDockScenario() override {
        engine.reset();
        wm.reset();
        scheduler.advance(0);
    }

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
    static NimbrelRuleAction website(const QString& browser, const QString& bundleId, const QString& url,
                                     Placement placement) {
        OpenBrowserWebsiteRuleAction a;
        a.browser = {browser, bundleId, std::nullopt};
        a.urlString = url;
        a.openingMode = Mode::newWindow;
        a.placement = placement;
        return NimbrelRuleAction::openBrowserWebsite(a);
    }
    void clickAndSettle(const QString& tile, double settle) {
        click(tile);
        scheduler.advance(settle);
    }
    sim::Window* showing(sim::App& browser, const QString& url) {
        for (sim::Window& w : browser.windows)
            for (const sim::Tab& t : w.tabs)
                if (t.url == url) return &w;
        return nullptr;
    }
    Rect appKitFrame(const sim::Window& w) const {
        return Rect(w.frame.minX(), mac.primaryHeight() - w.frame.maxY(), w.frame.width(), w.frame.height());
    }
    Rect expected(Placement p) const {
        const sim::Screen* s = mac.screen(mac.mainScreenId());
        return *placement::frame(p, s->visibleFrame);
    }
    void closeAllWindows(sim::App& app) {
        while (!app.windows.empty())
            mac.closeWindow(app, app.windows.front().id);
    }

    // Opens the three websites with a click on the browser's tile and checks each window.
    void opensThreePlacedWindows(const QString& tile, const QString& bundleId) {
        storeRule(tile, bundleId,
                  {website(tile, bundleId, QStringLiteral("one.example"), Placement::leftHalf),
                   website(tile, bundleId, QStringLiteral("two.example"), Placement::rightHalf),
                   website(tile, bundleId, QStringLiteral("three.example"), Placement::bottomLeft)});
        clickAndSettle(tile, 4);
        ASSERT_TRUE(activities.contains(QStringLiteral("Browser Group Opened"))) << activities.join(", ").toStdString();
        sim::App& browser = app(bundleId);
        for (const auto& [url, p] : {std::pair{QStringLiteral("https://one.example"), Placement::leftHalf},
                                     std::pair{QStringLiteral("https://two.example"), Placement::rightHalf},
                                     std::pair{QStringLiteral("https://three.example"), Placement::bottomLeft}}) {
            sim::Window* w = showing(browser, url);
            ASSERT_TRUE(w) << url.toStdString();
            EXPECT_EQ(appKitFrame(*w), expected(p)) << url.toStdString();
            EXPECT_FALSE(w->minimized);
        }
    }
    int groupMinimized(const QString& bundleId) {
        int n = 0;
        for (const QString& url : {QStringLiteral("https://one.example"), QStringLiteral("https://two.example"),
                                   QStringLiteral("https://three.example")})
            n += showing(app(bundleId), url)->minimized;
        return n;
    }

    sim::SimAppleScript appleScript;
    sim::SimAlerts alerts;
    std::unique_ptr<WindowManager> wm;
};

TEST_F(BrowserDockScenario, SafariGroupOpensPlacedThenTheNextClicksMinimizeAndRestoreIt) {
    closeAllWindows(app(sim::kSafariBundleId));
    opensThreePlacedWindows(QStringLiteral("Safari"), sim::kSafariBundleId);

    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Minimized")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 3);

    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Restored")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 0);
    sim::App& safari = app(sim::kSafariBundleId);
    EXPECT_EQ(appKitFrame(*showing(safari, QStringLiteral("https://one.example"))), expected(Placement::leftHalf));
    EXPECT_EQ(appKitFrame(*showing(safari, QStringLiteral("https://two.example"))), expected(Placement::rightHalf));
    EXPECT_EQ(appKitFrame(*showing(safari, QStringLiteral("https://three.example"))), expected(Placement::bottomLeft));
    // The rule did not fire again: the group took both clicks.
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Opened")), 1);
}

TEST_F(BrowserDockScenario, SafariGroupBesideOtherWindowsSwapsWithThem) {
    opensThreePlacedWindows(QStringLiteral("Safari"), sim::kSafariBundleId);
    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Minimized")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 3);
    clickAndSettle(QStringLiteral("Safari"), 2);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Restored")), 1);
    EXPECT_EQ(groupMinimized(sim::kSafariBundleId), 0);
    // Safari's own two windows stepped aside.
    EXPECT_TRUE(showing(app(sim::kSafariBundleId), QStringLiteral("https://www.apple.com/newsroom/"))->minimized);
}

TEST_F(BrowserDockScenario, ChromiumGroupOpensPlacedThenTheNextClicksMinimizeAndRestoreIt) {
    const QString chrome = QStringLiteral("com.google.Chrome");
    closeAllWindows(app(chrome));
    opensThreePlacedWindows(QStringLiteral("Google Chrome"), chrome);
    clickAndSettle(QStringLiteral("Google Chrome"), 2);
    EXPECT_EQ(groupMinimized(chrome), 3);
    clickAndSettle(QStringLiteral("Google Chrome"), 2);
    EXPECT_EQ(groupMinimized(chrome), 0);
    EXPECT_EQ(appKitFrame(*showing(app(chrome), QStringLiteral("https://two.example"))),
              expected(Placement::rightHalf));
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Opened")), 1);
}

TEST_F(BrowserDockScenario, DeniedAutomationIsRecordedEachTimeButTheAlertShowsOncePerRun) {
    const QString chrome = QStringLiteral("com.google.Chrome");
    appleScript.failScriptsFor(chrome, kAppleScriptNotAuthorized);
    alerts.answerNextAlert(1);
    storeRule(QStringLiteral("Notes"), QStringLiteral("com.apple.Notes"),
              {website(QStringLiteral("Google Chrome"), chrome, QStringLiteral("one.example"), Placement::leftHalf),
               website(QStringLiteral("Google Chrome"), chrome, QStringLiteral("two.example"), Placement::rightHalf)});
    clickAndSettle(QStringLiteral("Notes"), 3);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Failed")), 1);
    // Once for the group script, once for each website then tried on its own.
    EXPECT_EQ(activities.count(QStringLiteral("Browser Automation Permission Needed")), 3);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Window Failed")), 2);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);

    clickAndSettle(QStringLiteral("Notes"), 3);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Group Failed")), 2);
    EXPECT_EQ(activities.count(QStringLiteral("Browser Automation Permission Needed")), 6);
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
}

TEST_F(BrowserDockScenario, TerminalActionWritesAPrivateFileAndRemovesIt30SecondsLater) {
    TerminalScriptRuleAction script;
    script.terminalApp = {QStringLiteral("Terminal"), std::nullopt, std::nullopt};
    script.commands = {TerminalScriptCommand{Uuid::random(), QStringLiteral("git pull")}};
    storeRule(QStringLiteral("Notes"), QStringLiteral("com.apple.Notes"),
              {NimbrelRuleAction::runTerminalScript(script)});
    clickAndSettle(QStringLiteral("Notes"), 0.5);
    EXPECT_TRUE(activities.contains(QStringLiteral("Terminal Script Running")));
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
