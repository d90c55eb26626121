#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kFinderId = QStringLiteral("com.apple.finder");

class TapDecisionTest : public EngineFixture {
  protected:
    TapDecisionTest() {
        safari = desk.addApp(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari")).pid;
        safariWindow = desk.addWindow(safari, QStringLiteral("Apple"));
        finder =
            desk.addApp(kFinderId, QStringLiteral("Finder"), QStringLiteral("/System/Library/CoreServices/Finder.app"))
                .pid;
        desk.addTile(QStringLiteral("Trash"));
        desk.setFrontmost(safari);
    }
    QStringList tapLines() const { return log.startingWith(QStringLiteral("NimbrelEngine: tap ")); }
    void blacklist(QStringList keys) { defaults.setStringArray(EngineState::blacklistDefaultsKey, keys); }

    int safari = 0, finder = 0;
    std::uint64_t safariWindow = 0;
};

} // namespace

TEST_F(TapDecisionTest, BlacklistedByIdentifierOrPathGetsNothingButKeepsTheLongPress) {
    for (const QString& key : {QStringLiteral("com.apple.Safari"), QStringLiteral("/Applications/Safari.app")}) {
        blacklist({QStringLiteral("com.other"), key});
        log.clear();
        desk.writes.clear();
        hold(QStringLiteral("Safari"), 0.3);
        scheduler.advance(1);
        EXPECT_TRUE(tapLines().isEmpty()) << key.toStdString();
        EXPECT_TRUE(ruleQueries.empty());
        EXPECT_TRUE(desk.writes.isEmpty());
    }
    // The press stays recorded after the silent tap, so the held press still reaches the long press.
    bool longPress = false;
    engine->taps().setLongPressHandler(
        [&](const RunningApplication&, const QString&, const DockTapContext&) { longPress = true; });
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    scheduler.advance(0.41);
    EXPECT_TRUE(longPress);
}

TEST_F(TapDecisionTest, EveryChangeOfTheStoredBlacklistCountsFromTheNextTap) {
    const struct {
        std::optional<QStringList> stored; // none removes the key
        bool tapped;
    } steps[] = {
        {QStringList{QStringLiteral("com.apple.Safari")}, false},
        {QStringList{QStringLiteral("com.other")}, true},
        {QStringList{QStringLiteral("/Applications/Safari.app")}, false},
        {std::nullopt, true},
        {QStringList{QStringLiteral("com.apple.Safari")}, false},
        {QStringList{}, true},
    };
    for (const auto& step : steps) {
        if (step.stored)
            blacklist(*step.stored);
        else
            defaults.remove(EngineState::blacklistDefaultsKey);
        log.clear();
        tap(QStringLiteral("Safari"));
        scheduler.advance(1);
        EXPECT_EQ(tapLines().size(), step.tapped ? 1 : 0)
            << step.stored.value_or(QStringList{"(none)"}).join(",").toStdString();
    }
}

TEST_F(TapDecisionTest, WrongTypedBlacklistReadsAsEmpty) {
    defaults.set(EngineState::blacklistDefaultsKey,
                 QVariantList{QVariant(qint64(3)), QVariant(QStringLiteral("com.apple.Safari"))});
    tap(QStringLiteral("Safari"));
    EXPECT_EQ(tapLines().size(), 1);
}

TEST_F(TapDecisionTest, DisabledModeDoesNothingAndClearsThePress) {
    setMode("disabled");
    bool longPress = false;
    engine->taps().setLongPressHandler(
        [&](const RunningApplication&, const QString&, const DockTapContext&) { longPress = true; });
    hold(QStringLiteral("Safari"), 0.6);
    EXPECT_FALSE(longPress);
    EXPECT_TRUE(tapLines().isEmpty());
    EXPECT_TRUE(ruleQueries.empty());
    EXPECT_TRUE(desk.writes.isEmpty());
}

TEST_F(TapDecisionTest, TapLineAndRuleQueryDescribeTheApp) {
    desk.addWindow(safari, QStringLiteral("Second"), true);
    tap(QStringLiteral("Safari"), 2);
    // The snapshot is taken at the first press, the windows are read when the tap fires.
    EXPECT_EQ(tapLines(),
              QStringList{QStringLiteral("NimbrelEngine: tap Safari windows=2 visibleBefore=1 minimizedBefore=1 "
                                         "allMinimizedBefore=false wasFrontmost=true")});
    EXPECT_TRUE(
        log.contains(QStringLiteral("NimbrelRules: checking rules for displayName=Safari, bundle=com.apple.Safari, "
                                    "path=/Applications/Safari.app, clickCount=2")));
    EXPECT_TRUE(executor.browserChecks.isEmpty()); // only single clicks go to browser groups
}

TEST_F(TapDecisionTest, SingleClickGoesToBrowserGroupsFirstExceptForFinder) {
    executor.takeBrowserClicks = true;
    tap(QStringLiteral("Safari"));
    EXPECT_EQ(executor.browserChecks, QStringList{QStringLiteral("Safari")});
    EXPECT_TRUE(ruleQueries.empty());
    EXPECT_TRUE(desk.writes.isEmpty());

    tap(QStringLiteral("Finder"));
    EXPECT_EQ(executor.browserChecks.size(), 1);
    EXPECT_EQ(ruleQueries.size(), 1u);
}

TEST_F(TapDecisionTest, MatchedRuleTakesTheTapAndSuppressesTheAppFor09s) {
    rules = {rule(QStringLiteral("Morning"), 2,
                  {folderAction(QStringLiteral("Docs"), QStringLiteral("~/Documents")),
                   folderAction(QStringLiteral("Dl"), QStringLiteral("~/Downloads"))}),
             rule(QStringLiteral("Second"), 2, {})};
    tap(QStringLiteral("Safari"));
    EXPECT_TRUE(executor.executed.empty()); // a single click matches no double-click rule

    desk.writes.clear();
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    scheduler.advance(0.05);
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    scheduler.advance(0.12);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: matched rule Morning")));
    ASSERT_EQ(executor.executed.size(), 1u);
    EXPECT_EQ(executor.executed[0].size(), 2u);
    EXPECT_TRUE(desk.writes.isEmpty()); // no default behaviour
    const Date firedAt = scheduler.now();
    EXPECT_EQ(engine->state().ruleTriggeredSuppressUntilByAppKey.at(QStringLiteral("com.apple.Safari")),
              firedAt.addingSeconds(0.9));

    scheduler.advance(0.8);
    log.clear();
    tap(QStringLiteral("Safari"));
    EXPECT_TRUE(log.contains(
        QStringLiteral("NimbrelRules: suppressing duplicate Dock tap after rule execution for com.apple.Safari")));
    EXPECT_TRUE(tapLines().isEmpty());
    tap(QStringLiteral("Safari"));
    EXPECT_EQ(tapLines().size(), 1);
    EXPECT_EQ(executor.executed.size(), 1u);
}

TEST_F(TapDecisionTest, RuleWithNoActionsStillTakesTheTap) {
    rules = {rule(QStringLiteral("Let the Dock be"), 1, {})};
    tap(QStringLiteral("Safari"));
    ASSERT_EQ(executor.executed.size(), 1u);
    EXPECT_TRUE(desk.writes.isEmpty());
    EXPECT_TRUE(engine->state().ruleTriggeredSuppressUntilByAppKey.count(QStringLiteral("com.apple.Safari")));
}

TEST_F(TapDecisionTest, TrashTapUsesItsOwnKeyNameAndWindows) {
    const auto trashWindow = desk.addWindow(finder, QStringLiteral("Trash"));
    desk.addWindow(finder, QStringLiteral("Documents"));
    desk.addWindow(finder, std::nullopt);
    tap(QStringLiteral("Trash"));
    EXPECT_TRUE(
        log.contains(QStringLiteral("NimbrelDebug: Finder route dockTitle=Trash focusedAfter=nil isTrashTarget=true")));
    EXPECT_EQ(tapLines(),
              QStringList{QStringLiteral("NimbrelEngine: tap Trash windows=1 visibleBefore=1 minimizedBefore=0 "
                                         "allMinimizedBefore=false wasFrontmost=false")});
    ASSERT_EQ(ruleQueries.size(), 1u);
    EXPECT_EQ(ruleQueries[0].first.displayName, QStringLiteral("Trash"));
    EXPECT_EQ(ruleQueries[0].first.bundleIdentifier, kFinderId);
    // The default behaviour kept its state under the Trash key and brought the Trash window forward.
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(QStringLiteral("com.apple.finder#Trash")),
              AXElement(trashWindow));
    EXPECT_FALSE(engine->state().lastRestoredWindowByApp.count(kFinderId));
    // Tap bookkeeping uses the plain key.
    EXPECT_TRUE(engine->state().lastDockClickDateByAppKey.count(kFinderId));

    log.clear();
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(log.contains(
        QStringLiteral("NimbrelDebug: Finder route dockTitle=Finder focusedAfter=nil isTrashTarget=false")));
    EXPECT_TRUE(tapLines().first().contains(QStringLiteral(" windows=2 "))); // untitled window kept, Trash left out
}

TEST_F(TapDecisionTest, AppWithoutAKeyIsDropped) {
    auto& anon = desk.addApp(QString(), QStringLiteral("Anon"));
    anon.bundlePath.reset();
    desk.addWindow(anon.pid, QStringLiteral("w"));
    tap(QStringLiteral("Anon"));
    EXPECT_TRUE(tapLines().isEmpty());
    EXPECT_FALSE(engine->state().activeDockPress.has_value());
}

TEST_F(TapDecisionTest, PermissionLostBeforeTheTapFiresDropsItSilently) {
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Safari")));
    desk.trusted = false;
    scheduler.advance(0.2);
    EXPECT_TRUE(tapLines().isEmpty());
}

TEST_F(TapDecisionTest, HostileAppNamesAreLoggedAsTheyStand) {
    auto& odd = desk.addApp(QStringLiteral("com.example.odd"), QStringLiteral("%1 %2 Odd"));
    desk.addWindow(odd.pid, QStringLiteral("w"));
    tap(QStringLiteral("%1 %2 Odd"));
    EXPECT_EQ(tapLines(),
              QStringList{QStringLiteral("NimbrelEngine: tap %1 %2 Odd windows=1 visibleBefore=1 minimizedBefore=0 "
                                         "allMinimizedBefore=false wasFrontmost=false")});
}
