#include "WindowManagerFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {
NimbrelRuleAction website(const QString& url, NimbrelBrowserOpeningMode mode = NimbrelBrowserOpeningMode::newWindow) {
    OpenBrowserWebsiteRuleAction a;
    a.browser = {QStringLiteral("Safari"), sim::kSafariBundleId, std::nullopt};
    a.urlString = url;
    a.openingMode = mode;
    return NimbrelRuleAction::openBrowserWebsite(a);
}
NimbrelRuleAction systemBehavior(NimbrelSystemBehavior behavior) {
    SystemBehaviorRuleAction a;
    a.behavior = behavior;
    return NimbrelRuleAction::runSystemBehavior(a);
}
} // namespace

using RuleActionRunnerTest = WindowManagerFixture;

TEST_F(RuleActionRunnerTest, NoActionsDoNothing) {
    wm->executeRuleActions({});
    scheduler.advance(3);
    EXPECT_TRUE(activities.empty());
    EXPECT_TRUE(mac.recorder().events().empty());
}

TEST_F(RuleActionRunnerTest, GroupIsRecordedOnceBeforeTheActionsInRuleOrder) {
    wm->executeRuleActions({systemBehavior(NimbrelSystemBehavior::hideApp)});
    EXPECT_EQ(activityTitles(), QStringList{"Rule Used System Behavior"});
    EXPECT_EQ(activities[0].message, "Nimbrel allowed the default Dock behavior to run.");

    activities.clear();
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Documents", "~/Documents")),
                            website("example.com/a"), systemBehavior(NimbrelSystemBehavior::normalCycle)});
    EXPECT_EQ(activityTitles(),
              (QStringList{"Rule Group Triggered", "Folder Focused", "Website Opened", "Rule Used System Behavior"}));
    EXPECT_EQ(activities[0].message, "Executed 3 actions from one rule.");
    EXPECT_EQ(activities[2].message, "Opened https://example.com/a in Safari.");
}

TEST_F(RuleActionRunnerTest, RuleOfWebsitesOnlyGoesToTheBrowserGroup) {
    wm->executeRuleActions({website(" example.com "), website("http://b.example", NimbrelBrowserOpeningMode::newTab)});
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Browser Group Opened"}));
    EXPECT_EQ(activities[1].message, "Opened 2 websites in Safari.");
    EXPECT_TRUE(log.contains("NimbrelWindowManager: executing browser group actions=2 "
                             "modes=[\"newWindow\", \"newTab\"] urls=[\"https://example.com\", \"http://b.example\"]"));

    activities.clear();
    wm->executeRuleActions({website("example.com")});
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Opened"});
    EXPECT_EQ(countActivities("Website Opened"), 0);
}

TEST_F(RuleActionRunnerTest, BrowserClickIsNotTakenWithoutARecordedGroup) {
    const auto safari = wm->apps().runningApplication(sim::kSafariBundleId, std::nullopt);
    ASSERT_TRUE(safari);
    EXPECT_FALSE(wm->handleBrowserRuleGroupDockTap(*safari));
}

using AutomationAlertTest = WindowManagerFixture;

TEST_F(AutomationAlertTest, RecordedEveryTimeShownOncePerRun) {
    wm->automationAlert().showBrowserAutomationPermissionAlert("Safari");
    EXPECT_TRUE(log.contains("NimbrelWindowManager: browser automation permission required for Safari. Grant Nimbrel "
                             "Automation access in System Settings > Privacy & Security > Automation."));
    ASSERT_EQ(alerts.alertsShown().size(), 1u);
    const AlertRequest& shown = alerts.alertsShown()[0];
    EXPECT_EQ(shown.messageText, "Browser Automation Permission Needed");
    EXPECT_EQ(shown.informativeText,
              QString::fromUtf8("Nimbrel needs macOS Automation permission to control Safari tabs and windows.\n\n"
                                "Open System Settings \u2192 Privacy & Security \u2192 Automation, then enable "
                                "Safari under Nimbrel."));
    EXPECT_EQ(shown.style, AlertStyle::informational);
    EXPECT_EQ(shown.buttons, (QStringList{"Open Automation Settings", "Not Now"}));
    // The first button opens the Automation pane.
    EXPECT_EQ(countEvents(sim::EventKind::workspace, "Privacy_Automation"), 1);

    wm->automationAlert().showBrowserAutomationPermissionAlert("Google Chrome");
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
    EXPECT_EQ(countActivities("Browser Automation Permission Needed"), 2);
    EXPECT_EQ(activities.back().message, "Nimbrel needs Automation permission to control Google Chrome.");
    EXPECT_EQ(activities.back().type, "error");
}

TEST_F(AutomationAlertTest, NotNowOpensNothing) {
    alerts.answerNextAlert(1);
    wm->automationAlert().showBrowserAutomationPermissionAlert("Safari");
    EXPECT_EQ(alerts.alertsShown().size(), 1u);
    EXPECT_EQ(countEvents(sim::EventKind::workspace, "Privacy_Automation"), 0);
}

TEST(AutomationAlertName, DisplayNameThenBundleNameThenNimbrel) {
    EXPECT_EQ(AutomationAlert::programName(QVariant("Nimbrel Pro"), QVariant("NimbrelPro")), "Nimbrel Pro");
    EXPECT_EQ(AutomationAlert::programName(QVariant(42), QVariant("NimbrelPro")), "NimbrelPro");
    EXPECT_EQ(AutomationAlert::programName(QVariant(), QVariant()), "Nimbrel");
}

TEST_F(RuleActionRunnerTest, DelayedStepsDoNothingOnceTheWindowManagerIsGone) {
    wm->executeRuleActions({NimbrelRuleAction::openFolder(
        folderAction("Projects", "~/Documents/Projects", NimbrelWindowPlacement::leftHalf))});
    wm.reset();
    scheduler.advance(3);
    EXPECT_TRUE(log.startingWith("NimbrelWindowManager: applying placement").isEmpty());
    EXPECT_TRUE(log.startingWith("NimbrelWindowManager: target folder window Projects").isEmpty());
}
