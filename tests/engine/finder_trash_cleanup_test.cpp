#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kFinder = QStringLiteral("com.apple.finder");

// Finder with a folder window and a Trash window, both minimized.
class FinderTrashCleanupTest : public EngineFixture {
  protected:
    FinderTrashCleanupTest() {
        finder = desk.addApp(kFinder, QStringLiteral("Finder"));
        other = desk.addApp(QStringLiteral("com.example.other"), QStringLiteral("Other")).pid;
        trash = desk.addWindow(finder.pid, QStringLiteral("Trash"), true);
        docs = desk.addWindow(finder.pid, QStringLiteral("Documents"), true);
        desk.setFrontmost(other);
    }
    // The Dock brings the Trash window back along with the window the tap restores.
    void pressFinderAndLetTheDockRestoreTheTrash() {
        engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Finder")));
        engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}});
        scheduler.advance(0.12);
        desk.window(trash).minimized = false;
    }

    RunningApplication finder;
    int other = 0;
    std::uint64_t trash = 0, docs = 0;
};

} // namespace

TEST_F(FinderTrashCleanupTest, TrashWindowThatCameBackIsMinimizedAgainShortlyAfter) {
    pressFinderAndLetTheDockRestoreTheTrash();
    EXPECT_FALSE(desk.isMinimized(docs)); // the tap restored the folder window
    scheduler.advance(0.079);
    EXPECT_FALSE(desk.isMinimized(trash));
    scheduler.advance(0.001);
    EXPECT_TRUE(desk.isMinimized(trash));
    EXPECT_FALSE(desk.isMinimized(docs));
    EXPECT_TRUE(activities.empty());
}

TEST_F(FinderTrashCleanupTest, FrontmostFinderTapCleansUpToo) {
    desk.setFrontmost(finder.pid);
    pressFinderAndLetTheDockRestoreTheTrash();
    scheduler.advance(0.08);
    EXPECT_TRUE(desk.isMinimized(trash));
}

TEST_F(FinderTrashCleanupTest, AnotherFinderTapMeanwhileCancelsTheCleanup) {
    pressFinderAndLetTheDockRestoreTheTrash();
    // A later Finder tap fired before the clean-up ran.
    engine->state().lastDockClickDateByAppKey[kFinder] = scheduler.now().addingSeconds(0.05);
    scheduler.advance(0.08);
    EXPECT_FALSE(desk.isMinimized(trash));
}

TEST_F(FinderTrashCleanupTest, NoCleanupWhenSomeFinderWindowWasVisible) {
    desk.window(docs).minimized = false;
    pressFinderAndLetTheDockRestoreTheTrash();
    desk.writes.clear();
    scheduler.advance(1);
    EXPECT_FALSE(desk.isMinimized(trash));
    EXPECT_TRUE(desk.writes.isEmpty());
}

TEST_F(FinderTrashCleanupTest, TrashTileTapSchedulesNoCleanup) {
    desk.addTile(QStringLiteral("Trash"));
    const auto trash2 = desk.addWindow(finder.pid, QStringLiteral("Trash"), true);
    desk.window(docs).minimized = true;
    engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Trash")));
    engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}});
    scheduler.advance(0.12);
    const bool restoredByTap = !desk.isMinimized(trash) || !desk.isMinimized(trash2);
    EXPECT_TRUE(restoredByTap);
    scheduler.advance(1);
    EXPECT_EQ(!desk.isMinimized(trash) || !desk.isMinimized(trash2), restoredByTap);
}

TEST_F(FinderTrashCleanupTest, StepLeavesUntitledAndAlreadyMinimizedWindowsAlone) {
    const auto untitled = desk.addWindow(finder.pid, std::nullopt);
    const auto openTrash = desk.addWindow(finder.pid, QStringLiteral("Open Trash"));
    desk.writes.clear();
    engine->trashCleanup().minimizeFinderTrashWindows(kFinder, scheduler.now(), finder);
    EXPECT_EQ(desk.writes, QStringList{QStringLiteral("Open Trash AXMinimized=true")});
    EXPECT_TRUE(desk.isMinimized(openTrash));
    EXPECT_FALSE(desk.isMinimized(untitled));
}

TEST_F(FinderTrashCleanupTest, PendingCleanupDoesNothingOnceTheEngineIsGone) {
    pressFinderAndLetTheDockRestoreTheTrash();
    engine.reset();
    scheduler.advance(1);
    EXPECT_FALSE(desk.isMinimized(trash));
}
