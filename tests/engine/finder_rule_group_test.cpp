#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kFinderId = QStringLiteral("com.apple.finder");

class FinderRuleGroupTest : public EngineFixture {
  protected:
    FinderRuleGroupTest() {
        finder =
            desk.addApp(kFinderId, QStringLiteral("Finder"), QStringLiteral("/System/Library/CoreServices/Finder.app"))
                .pid;
        desk.setFrontmost(finder);
    }
    std::uint64_t folderWindow(const QString& title, const QString& path, bool minimized = false) {
        const auto id = desk.addWindow(finder, title, minimized);
        desk.window(id).document = QStringLiteral("file://") + path;
        return id;
    }
    void groupRule() {
        rules = {rule(QStringLiteral("Work"), 1,
                      {folderAction(QStringLiteral("Projects"), QStringLiteral("~/Projects")),
                       folderAction(QStringLiteral("Notes"), QStringLiteral("~/Notes"))})};
    }
    int finder = 0;
};

} // namespace

TEST_F(FinderRuleGroupTest, CompleteGroupMinimizesThenRestoresAsOneWorkspace) {
    groupRule();
    const auto projects = folderWindow(QStringLiteral("Projects"), QStringLiteral("/Users/anna/Projects"));
    const auto notes = folderWindow(QStringLiteral("Notes"), QStringLiteral("/Users/anna/Notes"));
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: minimizing active Finder rule group as one workspace")));
    EXPECT_TRUE(
        log.contains(QStringLiteral("NimbrelRules: suppressing duplicate Finder Dock tap after grouped rule cycle")));
    EXPECT_TRUE(desk.isMinimized(projects) && desk.isMinimized(notes));
    EXPECT_TRUE(executor.executed.empty());

    // Within 0.95 s the next tap is dropped; after it the group comes back.
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(desk.isMinimized(projects));
    scheduler.advance(0.5);
    desk.writes.clear();
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: restoring active Finder rule group as one workspace")));
    EXPECT_FALSE(desk.isMinimized(projects) || desk.isMinimized(notes));
    // The later window of the list is brought forward last.
    EXPECT_EQ(desk.writes.last(), QStringLiteral("Projects AXFocused=true"));
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kFinderId), AXElement(projects));
}

TEST_F(FinderRuleGroupTest, WithAnUnrelatedWindowTheFocusDecidesWhichSideComesForward) {
    groupRule();
    const auto projects = folderWindow(QStringLiteral("Projects"), QStringLiteral("/Users/anna/Projects"));
    const auto notes = folderWindow(QStringLiteral("Notes"), QStringLiteral("/Users/anna/Notes"));
    const auto other = folderWindow(QStringLiteral("Music"), QStringLiteral("/Users/anna/Music"));
    desk.focus(other);
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(desk.isMinimized(other));
    EXPECT_FALSE(desk.isMinimized(projects) || desk.isMinimized(notes));

    scheduler.advance(1);
    desk.focus(notes);
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(desk.isMinimized(projects) && desk.isMinimized(notes));
    EXPECT_FALSE(desk.isMinimized(other)); // the first other window, even though it was minimized
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kFinderId), AXElement(other));
}

TEST_F(FinderRuleGroupTest, IncompleteGroupOrNoFocusRunsTheRule) {
    groupRule();
    folderWindow(QStringLiteral("Projects"), QStringLiteral("/Users/anna/Projects"));
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: matched rule Work")));
    EXPECT_EQ(executor.executed.size(), 1u);
    // The tap fired 0.12 s after the press.
    EXPECT_NEAR(engine->state().ruleTriggeredSuppressUntilByAppKey.at(kFinderId).secondsSinceReferenceDate, 0.12 + 0.9,
                1e-9);
}

TEST_F(FinderRuleGroupTest, SingleFolderAlreadyShownGivesTheDefaultBehaviour) {
    rules = {
        rule(QStringLiteral("Docs"), 1, {folderAction(QStringLiteral("Documents"), QStringLiteral("~/Documents"))})};
    const auto docs = folderWindow(QStringLiteral("Documents"), QStringLiteral("/Users/anna/Documents"));
    folderWindow(QStringLiteral("Trash"), QStringLiteral("/Users/anna/.Trash")); // left out of a Finder tap
    desk.setFrontmost(0);
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "NimbrelRules: Finder rule target is already the active single Finder window; using normal Nimbrel behavior")));
    EXPECT_TRUE(executor.executed.empty());
    EXPECT_FALSE(engine->state().ruleTriggeredSuppressUntilByAppKey.count(kFinderId));
    // Not frontmost before: the default behaviour brought the window forward.
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kFinderId), AXElement(docs));
}

TEST_F(FinderRuleGroupTest, FolderMatchesByTitlePrefixOrDocumentPath) {
    FinderRuleGroup groups(engine->state(), desk, desk, files);
    const auto byTitle = desk.addWindow(finder, QStringLiteral("Projects — 2026"));
    const auto byPath = folderWindow(QStringLiteral("Something else"), QStringLiteral("/Users/anna/My%20Projects"));
    const NimbrelFolderTarget target{QStringLiteral("Projects"), QStringLiteral("~/My Projects \n")};
    EXPECT_TRUE(groups.isFinderWindow(AXElement(byTitle), target));
    EXPECT_TRUE(groups.isFinderWindow(AXElement(byPath), target));
    EXPECT_FALSE(groups.isFinderWindow(AXElement(byTitle), {QStringLiteral("Music"), QStringLiteral("~/Music")}));

    // Finder gives a folder's document with a trailing slash; the folder is still the same.
    const auto slashed = folderWindow(QStringLiteral("Renamed"), QStringLiteral("/Users/anna/Work/"));
    EXPECT_TRUE(groups.isFinderWindow(AXElement(slashed), {QStringLiteral("Work stuff"), QStringLiteral("~/Work")}));
    EXPECT_FALSE(groups.isFinderWindow(AXElement(slashed), {QStringLiteral("Work stuff"), QStringLiteral("~/Wor")}));
}

TEST_F(FinderRuleGroupTest, FolderNameThatFoldsToNothingMatchesByPathOnly) {
    FinderRuleGroup groups(engine->state(), desk, desk, files);
    const auto titled = desk.addWindow(finder, QStringLiteral("Documents"));
    const auto shown = folderWindow(QStringLiteral("★"), QStringLiteral("/Users/anna/★"));
    const NimbrelFolderTarget starred{QStringLiteral("★"), QStringLiteral("~/★")};
    EXPECT_FALSE(groups.isFinderWindow(AXElement(titled), starred));
    EXPECT_TRUE(groups.isFinderWindow(AXElement(shown), starred));

    // So a one-folder rule of that folder is not mistaken for the only Finder window showing something else.
    rules = {rule(QStringLiteral("Star"), 1, {folderAction(QStringLiteral("★"), QStringLiteral("~/★"))})};
    desk.window(shown).minimized = true;
    desk.windowOrder[finder].erase(desk.windowOrder[finder].begin()); // only "Documents" is left
    tap(QStringLiteral("Finder"));
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: matched rule Star")));
    EXPECT_EQ(executor.executed.size(), 1u);
}
