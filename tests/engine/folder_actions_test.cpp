#include "WindowManagerFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {
using P = NimbrelWindowPlacement;
const QString kDocuments = QStringLiteral("~/Documents");
const QString kProjects = QStringLiteral("~/Documents/Projects");
const QString kInvoices = QStringLiteral("~/Documents/Invoices");
} // namespace

using FolderActionsTest = WindowManagerFixture;

TEST_F(FolderActionsTest, FolderWithAWindowIsFocusedAndOtherFoldersClosed) {
    mac.openTrashInFinder();
    ASSERT_EQ(finderTitles(), (QStringList{"Trash", "Documents", "Downloads"}));
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Documents", kDocuments, P::leftHalf))});

    EXPECT_TRUE(log.contains("NimbrelWindowManager: focused existing folder window Documents"));
    ASSERT_EQ(activityTitles(), QStringList{"Folder Focused"});
    EXPECT_EQ(activities[0].message, "Focused existing Finder window for Documents.");
    // The Trash is never taken for another folder's window.
    EXPECT_EQ(finderTitles(), (QStringList{"Documents", "Trash"}));
    EXPECT_EQ(appKitFrame(*finderWindow("Documents")), expectedFrame(P::leftHalf, 1));
    EXPECT_EQ(mac.focusedWindowId(finder()), finderWindow("Documents")->id);
    // Placed now and again at 0.18 and 0.38 s; there are no retries.
    scheduler.advance(3);
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: applying placement leftHalf").size(), 3);
    EXPECT_FALSE(log.contains("NimbrelWindowManager: opening folder /Users/anna/Documents"));
}

TEST_F(FolderActionsTest, FolderWithoutAWindowIsOpenedFoundOnRetryAndPlacedAgainLater) {
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Projects", kProjects, P::rightHalf))});
    EXPECT_TRUE(log.contains("NimbrelWindowManager: target folder window not found. targetTitle=projects "
                             "targetPath=/Users/anna/Documents/Projects"));
    EXPECT_TRUE(log.contains("NimbrelWindowManager: opening folder /Users/anna/Documents/Projects"));
    ASSERT_EQ(activityTitles(), QStringList{"Folder Opened"});
    EXPECT_EQ(activities[0].message, "Opened Projects.");

    scheduler.advance(0.25);
    EXPECT_EQ(finderTitles(), QStringList{"Projects"});
    EXPECT_EQ(appKitFrame(finder().windows.front()), expectedFrame(P::rightHalf, 1));

    // The later retries find the window again and put it back where it belongs.
    mac.setMinimized(finder(), finder().windows.front().id, true);
    scheduler.advance(2.0);
    EXPECT_FALSE(finder().windows.front().minimized);
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: applying placement rightHalf").size(), 5);
}

TEST_F(FolderActionsTest, FolderThatCannotBeOpenedIsAnErrorAndTheLastRetryDumpsFinderWindows) {
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Archive", "~/Archive", P::leftHalf))});
    EXPECT_EQ(activityTitles(), (QStringList{"Folder Opened", "Folder Open Failed"}));
    EXPECT_EQ(activities.back().type, "error");

    scheduler.advance(0.25);
    EXPECT_TRUE(log.contains("NimbrelWindowManager: target folder window Archive not ready yet; retrying"));
    scheduler.advance(2.0);
    EXPECT_TRUE(log.contains("NimbrelWindowManager: target folder window still not found after final retry. "
                             "targetTitle=archive targetPath=/Users/anna/Archive"));
    EXPECT_TRUE(log.contains("NimbrelWindowManager: Finder window title=Documents normalizedTitle=documents "
                             "document=/Users/anna/Documents normalizedDocument=/Users/anna/Documents "
                             "minimized=false trash=false"));
    // Nothing was closed for a folder that never showed up.
    EXPECT_EQ(finderTitles().size(), 2);
}

TEST_F(FolderActionsTest, WindowTitledOtherwiseIsFoundByItsDocument) {
    finderWindow("Documents")->title = "Client Work";
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Documents", kDocuments))});
    EXPECT_EQ(activityTitles(), QStringList{"Folder Focused"});
    EXPECT_EQ(finderTitles(), QStringList{"Client Work"});
}

TEST_F(FolderActionsTest, WithoutFinderNothingIsFoundAndTheFolderIsOpened) {
    mac.terminate(finder().pid);
    scheduler.advance(0);
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Projects", kProjects))});
    EXPECT_TRUE(log.startingWith("NimbrelWindowManager: target folder window not found").isEmpty());
    EXPECT_EQ(activityTitles(), QStringList{"Folder Opened"});
}

using FolderGroupTest = WindowManagerFixture;

TEST_F(FolderGroupTest, TwoFoldersOpenThenMinimizeThenRestoreOnTheNextTaps) {
    const std::vector<NimbrelRuleAction> rule{
        NimbrelRuleAction::openFolder(folderAction("Projects", kProjects, P::leftHalf)),
        NimbrelRuleAction::openFolder(folderAction("Invoices", kInvoices, P::rightHalf))};

    wm->executeRuleActions(rule);
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Folder Group Opened"}));
    EXPECT_EQ(activities[1].message, "Opened 2 folders from one rule.");
    scheduler.advance(0.12);
    EXPECT_TRUE(finderTitles().contains("Projects"));
    EXPECT_TRUE(finderTitles().contains("Invoices"));
    scheduler.advance(1.65);
    // The third pass closed the windows of other folders and brought the last folder forward.
    EXPECT_EQ(finderTitles(), (QStringList{"Invoices", "Projects"}));
    EXPECT_EQ(appKitFrame(*finderWindow("Projects")), expectedFrame(P::leftHalf, 1));
    EXPECT_EQ(appKitFrame(*finderWindow("Invoices")), expectedFrame(P::rightHalf, 1));
    EXPECT_TRUE(log.contains("NimbrelWindowManager: closing extra Finder window title=Downloads"));
    scheduler.advance(1);

    activities.clear();
    wm->executeRuleActions(rule);
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Folder Group Opened", "Folder Group Minimized"}));
    EXPECT_EQ(activities[2].message, "Minimized 2 Finder windows.");
    EXPECT_TRUE(finderWindow("Projects")->minimized);
    EXPECT_TRUE(finderWindow("Invoices")->minimized);
    // A toggle opens nothing and schedules no placement pass (the last one would unminimize).
    scheduler.advance(2);
    EXPECT_TRUE(finderWindow("Projects")->minimized);
    EXPECT_EQ(countEvents(sim::EventKind::workspace, "open file://"), 2);

    // Someone moved a window meanwhile: restoring puts it back.
    finderWindow("Projects")->frame = Rect(5, 5, 300, 200);
    activities.clear();
    wm->executeRuleActions(rule);
    EXPECT_EQ(activityTitles(), (QStringList{"Rule Group Triggered", "Folder Group Opened", "Folder Group Restored"}));
    EXPECT_EQ(activities[2].message, "Restored 2 Finder windows.");
    EXPECT_FALSE(finderWindow("Projects")->minimized);
    EXPECT_FALSE(finderWindow("Invoices")->minimized);
    EXPECT_EQ(appKitFrame(*finderWindow("Projects")), expectedFrame(P::leftHalf, 1));
    EXPECT_EQ(mac.focusedWindowId(finder()), finderWindow("Invoices")->id);
}

TEST_F(FolderGroupTest, AnotherFolderWindowOpenReplacesTheGroupAndClosesItOnTheLastPass) {
    const std::vector<OpenFolderRuleAction> group{folderAction("Documents", kDocuments, P::topLeft),
                                                  folderAction("Downloads", "~/Downloads", P::bottomLeft)};
    mac.openFolderInFinder("/Users/anna/Pictures");
    wm->folders().executeFolderGroup(group);
    EXPECT_EQ(activityTitles(), QStringList{"Folder Group Opened"});
    scheduler.advance(1.64);
    EXPECT_TRUE(finderTitles().contains("Pictures"));
    EXPECT_EQ(appKitFrame(*finderWindow("Documents")), expectedFrame(P::topLeft, 1));
    scheduler.advance(0.01);
    EXPECT_FALSE(finderTitles().contains("Pictures"));
    // Both folders had windows: neither was opened again.
    EXPECT_EQ(countEvents(sim::EventKind::workspace, "open file://"), 0);
}

TEST_F(FolderGroupTest, OnlyTheMissingMembersAreOpenedSpacedByTheirIndex) {
    const std::vector<OpenFolderRuleAction> group{folderAction("Projects", kProjects),
                                                  folderAction("Documents", kDocuments),
                                                  folderAction("Invoices", kInvoices)};
    wm->folders().executeFolderGroup(group);
    scheduler.advance(0);
    EXPECT_TRUE(finderTitles().contains("Projects"));
    EXPECT_FALSE(finderTitles().contains("Invoices"));
    scheduler.advance(0.23);
    EXPECT_FALSE(finderTitles().contains("Invoices"));
    scheduler.advance(0.01);
    EXPECT_TRUE(finderTitles().contains("Invoices"));
    EXPECT_FALSE(log.contains("NimbrelWindowManager: opening folder /Users/anna/Documents"));
}

TEST_F(FolderGroupTest, TwoFoldersAndAnAppRunOnlyTheFolderGroup) {
    OpenAppRuleAction textEdit;
    textEdit.app = appTarget("TextEdit", QStringLiteral("com.apple.TextEdit"));
    wm->executeRuleActions({NimbrelRuleAction::openFolder(folderAction("Projects", kProjects)),
                            NimbrelRuleAction::openApp(textEdit),
                            NimbrelRuleAction::openFolder(folderAction("Invoices", kInvoices))});
    scheduler.advance(3);
    EXPECT_EQ(mac.appWithBundleId("com.apple.TextEdit"), nullptr);
    EXPECT_EQ(countActivities("App Opened"), 0);
    EXPECT_EQ(countActivities("Folder Group Opened"), 1);
}
