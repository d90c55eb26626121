#include "WindowManagerFixture.h"

#include "engine/EngineServices.h"
#include "engine/NimbrelEngine.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {
using P = NimbrelWindowPlacement;
} // namespace

// The engine as the program builds it, handing matched rules to the real window manager.
class DockRuleWindowManagerTest : public WindowManagerFixture {
  protected:
    DockRuleWindowManagerTest() {
        engine = std::make_unique<NimbrelEngine>(
            platform, NimbrelEngine::Options{EngineServices::standard(platform), wm.get(), kNimbrelBundleIdentifier});
        engine->startMonitoring();
    }
    ~DockRuleWindowManagerTest() override { engine.reset(); }

    void storeRule(const QString& tileApp, const QString& bundleId, std::vector<NimbrelRuleAction> actions) {
        NimbrelRule rule;
        rule.id = Uuid::random();
        rule.name = QStringLiteral("Workspace");
        rule.trigger.clickCount = 1;
        rule.trigger.app = NimbrelRuleAppTarget{tileApp, bundleId, std::nullopt};
        rule.actions = std::move(actions);
        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules({rule}, json::DateForm::SecondsSince2001));
    }
    void click(const QString& title) {
        for (const sim::DockTile& t : mac.dockTiles())
            if (t.title == title) {
                mac.mouseDown({t.frame.midX(), t.frame.midY()});
                scheduler.advance(0.05);
                mac.mouseUp();
                return;
            }
        ADD_FAILURE() << "no Dock tile " << title.toStdString();
    }

    std::unique_ptr<NimbrelEngine> engine;
};

TEST_F(DockRuleWindowManagerTest, MailTileRuleOpensFolderGroupThenMinimizesAndRestoresIt) {
    storeRule(QStringLiteral("Mail"), QStringLiteral("com.apple.mail"),
              {NimbrelRuleAction::openFolder(folderAction("Projects", "~/Documents/Projects", P::leftHalf)),
               NimbrelRuleAction::openFolder(folderAction("Invoices", "~/Documents/Invoices", P::rightHalf))});
    click(QStringLiteral("Mail"));
    scheduler.advance(2.5);
    ASSERT_NE(finderWindow("Projects"), nullptr) << log.lines.join('\n').toStdString();
    EXPECT_EQ(finderTitles(), (QStringList{"Invoices", "Projects"}));
    EXPECT_EQ(appKitFrame(*finderWindow("Projects")), expectedFrame(P::leftHalf, 1));
    EXPECT_EQ(appKitFrame(*finderWindow("Invoices")), expectedFrame(P::rightHalf, 1));

    click(QStringLiteral("Mail"));
    scheduler.advance(1.0);
    EXPECT_TRUE(finderWindow("Projects")->minimized);
    EXPECT_TRUE(finderWindow("Invoices")->minimized);

    click(QStringLiteral("Mail"));
    scheduler.advance(1.0);
    EXPECT_FALSE(finderWindow("Projects")->minimized);
    EXPECT_FALSE(finderWindow("Invoices")->minimized);
    EXPECT_EQ(countActivities("Folder Group Minimized"), 1);
    EXPECT_EQ(countActivities("Folder Group Restored"), 1);
}

TEST_F(DockRuleWindowManagerTest, SafariTileRulePlacesAnAppOnTheExternalScreen) {
    OpenAppRuleAction textEdit;
    textEdit.app = appTarget("TextEdit", QStringLiteral("com.apple.TextEdit"));
    textEdit.placement = P::leftHalf;
    textEdit.displayTarget = externalScreen();
    storeRule(QStringLiteral("Safari"), sim::kSafariBundleId, {NimbrelRuleAction::openApp(textEdit)});
    click(QStringLiteral("Safari"));
    scheduler.advance(2.0);
    sim::App* opened = mac.appWithBundleId("com.apple.TextEdit");
    ASSERT_NE(opened, nullptr) << log.lines.join('\n').toStdString();
    EXPECT_EQ(appKitFrame(opened->windows.front()), expectedFrame(P::leftHalf, 2));
    EXPECT_EQ(countActivities("App Opened"), 1);
}
