#include "SimEngineFixture.h"
#include "engine/WindowManager.h"
#include "platform/SharedInstance.h"

#include "model/RuleCoding.h"
#include "model/RulesStore.h"

using namespace nimbrel;
using namespace nimbrel::test;

TEST_F(SimEngineFixture, TapOnATileOfTheSimulatedDockIsCountedAndDecided) {
    click(QStringLiteral("Safari"));
    scheduler.advance(0.2);
    const QStringList taps = log.startingWith(QStringLiteral("NimbrelEngine: tap Safari windows="));
    ASSERT_EQ(taps.size(), 1) << log.lines.join('\n').toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelDebug: dock mouseDown title=Safari isTrash=false")));
    EXPECT_TRUE(
        log.startingWith(QStringLiteral("NimbrelRules: checking rules for displayName=Safari, bundle=com.apple.Safari"))
            .size() == 1);
    EXPECT_FALSE(writes().isEmpty());
}

TEST_F(SimEngineFixture, TrashTileOfTheSimulatedDockRoutesToFinder) {
    click(QStringLiteral("Trash"));
    scheduler.advance(0.2);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelDebug: dock mouseDown title=Trash isTrash=true")));
    EXPECT_EQ(log.startingWith(QStringLiteral("NimbrelDebug: Finder route dockTitle=Trash")).size(), 1);
    EXPECT_EQ(log.startingWith(QStringLiteral("NimbrelEngine: tap Trash windows=")).size(), 1);
}

TEST_F(SimEngineFixture, StoredRuleMatchesTheSecondClickThroughTheRulesStore) {
    NimbrelRule rule;
    rule.id = Uuid::random();
    rule.name = QStringLiteral("Open notes");
    rule.trigger.clickCount = 2;
    rule.trigger.app = NimbrelRuleAppTarget{QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), std::nullopt};
    OpenFolderRuleAction folder;
    folder.folder = NimbrelFolderTarget{QStringLiteral("Documents"), QStringLiteral("~/Documents")};
    rule.actions = {NimbrelRuleAction::openFolder(folder)};
    defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules({rule}, json::DateForm::SecondsSince2001));

    click(QStringLiteral("Safari"));
    scheduler.advance(0.03);
    click(QStringLiteral("Safari"));
    scheduler.advance(0.2);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: matched rule Open notes")));
    ASSERT_EQ(executor.executed.size(), 1u);
    EXPECT_TRUE(activities.contains(QStringLiteral("Rule Matched")));
    EXPECT_TRUE(log.startingWith(QStringLiteral("NimbrelEngine: tap Safari")).size() == 1);
}

TEST_F(SimEngineFixture, SharedEngineIsBuiltOverTheInstalledPlatformAndItsReadersWork) {
    engine.reset();
    NimbrelEngine& shared = NimbrelEngine::shared();
    EXPECT_EQ(&shared, &NimbrelEngine::shared());
    // Creating the engine creates no other shared instance; the window manager comes with the first tap.
    EXPECT_FALSE(hasSharedInstance<WindowManager>());
    EXPECT_FALSE(shared.dockClickMonitor());
    shared.startMonitoring();
    EXPECT_TRUE(shared.dockClickMonitor());

    sim::App& finder = app(sim::kFinderBundleId);
    const AXElement appElement = ax.applicationElement(finder.pid);
    const auto windows = NimbrelEngine::axWindows(appElement);
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(NimbrelEngine::stringAttribute(QStringLiteral("AXTitle"), windows.front()), finder.windows.front().title);
    EXPECT_FALSE(NimbrelEngine::boolAttribute(QStringLiteral("AXTitle"), windows.front())); // not a Boolean
    EXPECT_TRUE(NimbrelEngine::position(windows.front()).has_value());
    EXPECT_FALSE(NimbrelEngine::position(appElement).has_value());
    EXPECT_EQ(NimbrelEngine::normalizedPath(QStringLiteral("~/x%20y ")),
              mac.identity().homeDirectory() + QStringLiteral("/x y"));
    EXPECT_EQ(NimbrelEngine::appKey(workspace.runningApplication(finder.pid).value()), sim::kFinderBundleId);

    click(QStringLiteral("Finder"));
    scheduler.advance(0.2);
    EXPECT_EQ(log.startingWith(QStringLiteral("NimbrelEngine: tap Finder windows=")).size(), 1);
    EXPECT_FALSE(hasSharedInstance<WindowManager>()); // a Finder click never asks for browser groups

    scheduler.advance(1.0);
    click(QStringLiteral("Safari"));
    scheduler.advance(0.2);
    EXPECT_TRUE(hasSharedInstance<WindowManager>());
}
