#include "WindowManagerFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {
using P = NimbrelWindowPlacement;
const QString kNotes = QStringLiteral("com.apple.Notes");
} // namespace

using FinderWindowsTest = WindowManagerFixture;

TEST_F(FinderWindowsTest, DumpListsEveryWindowButExcludedSubrolesWithNilForMissingValues) {
    mac.openTrashInFinder();
    sim::Window untitled;
    untitled.title = QString();
    untitled.frame = Rect(10, 10, 400, 300);
    untitled.unreadableAttributes << QStringLiteral("AXTitle");
    mac.addWindow(finder(), untitled);
    sim::Window floating;
    floating.subrole = QStringLiteral("AXFloatingWindow");
    floating.title = QStringLiteral("Inspector");
    floating.frame = Rect(10, 10, 200, 300);
    mac.addWindow(finder(), floating);
    mac.setMinimized(finder(), finderWindow("Downloads")->id, true);

    wm->finder().logFinderWindowMatches(QStringLiteral("checking"), FolderKey{"projects", "/Users/anna/Projects"});
    const QStringList lines = log.startingWith("NimbrelWindowManager: ");
    ASSERT_EQ(lines.size(), 5) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "NimbrelWindowManager: checking. targetTitle=projects targetPath=/Users/anna/Projects");
    EXPECT_TRUE(lines.contains("NimbrelWindowManager: Finder window title=nil normalizedTitle=nil document=nil "
                               "normalizedDocument=nil minimized=false trash=false"));
    // The Trash window is listed (and flagged), the floating inspector is not.
    EXPECT_TRUE(lines.contains("NimbrelWindowManager: Finder window title=Trash normalizedTitle=trash "
                               "document=/Users/anna/.Trash normalizedDocument=/Users/anna/.Trash "
                               "minimized=false trash=true"));
    EXPECT_TRUE(lines.contains("NimbrelWindowManager: Finder window title=Downloads normalizedTitle=downloads "
                               "document=/Users/anna/Downloads normalizedDocument=/Users/anna/Downloads "
                               "minimized=true trash=false"));
    EXPECT_TRUE(log.lines.filter("Inspector").isEmpty());

    // Without Finder nothing is printed.
    log.clear();
    mac.terminate(finder().pid);
    scheduler.advance(0);
    wm->finder().logFinderWindowMatches(QStringLiteral("checking"), FolderKey{"projects", "/Users/anna/Projects"});
    EXPECT_TRUE(log.startingWith("NimbrelWindowManager: ").isEmpty());
}

TEST_F(FinderWindowsTest, OtherFoldersAreClosedByTheirButtonOrCancelledAndTheTrashIsLeftAlone) {
    mac.openTrashInFinder();
    // A window without title-bar buttons can only be cancelled.
    sim::Window sheet;
    sheet.subrole = QStringLiteral("AXSheet");
    sheet.title = QStringLiteral("Copy");
    sheet.frame = Rect(10, 10, 400, 120);
    mac.addWindow(finder(), sheet);

    wm->finder().closeExtraFinderWindows(wm->finder().folderKey("Documents", "~/Documents"));
    EXPECT_EQ(
        countEvents(sim::EventKind::accessibilityAction, "AXPress on AXCloseButton of Finder window \"Downloads\""), 1);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, "AXCancel on Finder window \"Copy\""), 1);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, "AXPress"), 1);
    EXPECT_EQ(finderWindow("Downloads"), nullptr);
    EXPECT_NE(finderWindow("Documents"), nullptr);
    EXPECT_NE(finderWindow("Trash"), nullptr);
}

TEST_F(FinderWindowsTest, GroupActionsGetDistinctWindows) {
    const OpenFolderRuleAction documents = folderAction("Documents", "~/Documents");
    const OpenFolderRuleAction downloads = folderAction("Downloads", "~/Downloads");
    const OpenFolderRuleAction projects = folderAction("Projects", "~/Documents/Projects");

    EXPECT_TRUE(wm->finder().finderWindowsByActionIndex({}).empty());
    // The same folder twice with one window: only the first action gets it.
    const auto twice = wm->finder().finderWindowsByActionIndex({documents, projects, documents, downloads});
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice.at(0), element(finder(), *finderWindow("Documents")));
    EXPECT_EQ(twice.at(3), element(finder(), *finderWindow("Downloads")));

    // A second window of the folder goes to the second action.
    mac.openFolderInFinder("/Users/anna/Documents/Projects");
    finderWindow("Projects")->title = QStringLiteral("Documents copy");
    finderWindow("Documents copy")->document = QStringLiteral("file:///Users/anna/Documents/");
    const auto both = wm->finder().finderWindowsByActionIndex({documents, documents});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(both.at(0), both.at(1));
}

TEST_F(FinderWindowsTest, ShowsAnyOfNeedsOneMatchingFolder) {
    const AXElement documents = element(finder(), *finderWindow("Documents"));
    EXPECT_FALSE(wm->finder().finderWindowShowsAnyOf(documents, {}));
    EXPECT_FALSE(wm->finder().finderWindowShowsAnyOf(documents, {{"Downloads", "~/Downloads"}}));
    EXPECT_TRUE(wm->finder().finderWindowShowsAnyOf(documents,
                                                    {{"Downloads", "~/Downloads"}, {"Work", "/Users/anna/Documents"}}));
}

TEST_F(FinderWindowsTest, DocumentPathOfAWindow) {
    sim::Window& window = *finderWindow("Documents");
    const AXElement documents = element(finder(), window);
    EXPECT_EQ(wm->apps().documentPath(documents), "/Users/anna/Documents");
    window.document = QStringLiteral("file:///Users/anna/My%20Files/");
    EXPECT_EQ(wm->apps().documentPath(documents), "/Users/anna/My Files");
    window.document = QStringLiteral("/Users/anna/Plain");
    EXPECT_EQ(wm->apps().documentPath(documents), "/Users/anna/Plain");
    window.document = QString();
    EXPECT_EQ(wm->apps().documentPath(documents), std::nullopt);
    window.document.reset();
    EXPECT_EQ(wm->apps().documentPath(documents), std::nullopt);
}

TEST_F(FinderWindowsTest, FocusedWindowFallsBackToTheFirstWindowButLayoutsDoNot) {
    sim::App& notes = app(kNotes);
    const std::uint64_t id = notes.windows.front().id;
    mac.setMinimized(notes, id, true);
    const auto running = wm->apps().runningApplication(kNotes, std::nullopt);
    ASSERT_TRUE(running);
    // Nothing has focus; the first window stands in for it.
    EXPECT_EQ(wm->apps().focusedWindow(*running), ax.windowElement(notes.pid, id));

    const Rect before = mac.window(notes.pid, id)->frame;
    wm->layouts().placeFocusedWindow(*running, Rect(0, 75, 864, 1005));
    EXPECT_EQ(mac.window(notes.pid, id)->frame, before);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityWrite, QString()), 0);

    // With a focused window the layout sizes, positions, sizes again and raises it.
    mac.setMinimized(notes, id, false);
    mac.recorder().clear();
    wm->layouts().placeFocusedWindow(*running, Rect(0, 75, 864, 1005));
    EXPECT_EQ(appKitFrame(*mac.window(notes.pid, id)), Rect(0, 75, 864, 1005));
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityWrite, "AXSize"), 2);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityWrite, "AXPosition"), 1);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, "AXRaise"), 1);
}

TEST_F(FinderWindowsTest, FocusOptionsDecideUnminimizingRaisingAndLaterPlacement) {
    sim::Window* documents = finderWindow("Documents");
    mac.setMinimized(finder(), documents->id, true);
    const FolderKey key = wm->finder().folderKey("Documents", "~/Documents");

    // All options off: found, placed, but left minimized and not placed again.
    EXPECT_TRUE(wm->finder().focusFinderWindow(key, P::leftHalf, std::nullopt, {}));
    EXPECT_TRUE(finderWindow("Documents")->minimized);
    scheduler.advance(1);
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: applying placement leftHalf").size(), 1);

    // Unminimize and place again later, without raising.
    log.clear();
    mac.recorder().clear();
    EXPECT_TRUE(wm->finder().focusFinderWindow(key, P::leftHalf, std::nullopt, {true, false, true}));
    EXPECT_FALSE(finderWindow("Documents")->minimized);
    scheduler.advance(0.18);
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: applying placement leftHalf").size(), 2);
    scheduler.advance(0.2);
    EXPECT_EQ(log.startingWith("NimbrelWindowManager: applying placement leftHalf").size(), 3);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, "AXRaise"), 0);

    EXPECT_FALSE(wm->finder().focusFinderWindow(wm->finder().folderKey("Pictures", "~/Pictures"), P::leftHalf,
                                                std::nullopt, {true, true, true}));
}

TEST_F(FinderWindowsTest, OnlyRealWindowsAreTakenForAFolder) {
    // An element of another role in Finder's window list, titled like the folder, in front.
    sim::Window drawer;
    drawer.role = QStringLiteral("AXDrawer");
    drawer.title = QStringLiteral("Documents Info");
    drawer.frame = Rect(10, 10, 200, 300);
    mac.addWindow(finder(), drawer);

    const std::vector<AXElement> windows = wm->finder().finderWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0], element(finder(), *finderWindow("Documents")));
    const auto byIndex = wm->finder().finderWindowsByActionIndex({folderAction("Documents", "~/Documents")});
    ASSERT_EQ(byIndex.size(), 1u);
    EXPECT_EQ(byIndex.at(0), element(finder(), *finderWindow("Documents")));
    // Nor is it closed as another folder's window.
    wm->finder().closeExtraFinderWindows(wm->finder().folderKey("Downloads", "~/Downloads"));
    EXPECT_NE(finderWindow("Documents Info"), nullptr);
    EXPECT_EQ(finderWindow("Documents"), nullptr);
}
