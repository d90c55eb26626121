#include "FakeDesk.h"
#include "engine/DockTileIdentifier.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

class DockStripTest : public ::testing::Test {
  protected:
    DockStripTest() : tiles(desk, desk, desk) { desk.screenList.clear(); }
    void screen(Rect frame, Rect visible) {
        desk.screenList.push_back({int(desk.screenList.size()) + 1, QStringLiteral("s"), frame, visible});
    }
    FakeDesk desk;
    DockTileIdentifier tiles;
};

} // namespace

TEST_F(DockStripTest, BottomStripNeedsAGapOfMoreThan20Points) {
    screen(Rect(0, 0, 1000, 800), Rect(0, 20, 1000, 755));
    EXPECT_FALSE(tiles.isMouseInDockArea({500, 5}));
    desk.screenList[0].visibleFrame = Rect(0, 21, 1000, 754);
    EXPECT_TRUE(tiles.isMouseInDockArea({500, 5}));
    EXPECT_TRUE(tiles.isMouseInDockArea({500, 32.9}));
    EXPECT_FALSE(tiles.isMouseInDockArea({500, 33})); // 21 + 12 points high
}

TEST_F(DockStripTest, LeftAndRightStrips) {
    screen(Rect(0, 0, 1000, 800), Rect(60, 0, 940, 775));
    EXPECT_TRUE(tiles.isMouseInDockArea({71, 400}));
    EXPECT_FALSE(tiles.isMouseInDockArea({72, 400}));

    desk.screenList[0].visibleFrame = Rect(0, 0, 940, 775);
    EXPECT_FALSE(tiles.isMouseInDockArea({927, 400}));
    EXPECT_TRUE(tiles.isMouseInDockArea({928, 400})); // 12 points left of the visible edge
    EXPECT_TRUE(tiles.isMouseInDockArea({999, 400}));

    // Only the first side with a gap counts: a bottom Dock hides a left gap.
    desk.screenList[0].visibleFrame = Rect(60, 30, 940, 745);
    EXPECT_FALSE(tiles.isMouseInDockArea({10, 400}));
}

TEST_F(DockStripTest, EachScreenIsTestedOnItsOwnAndAPointOnNoScreenUsesTheMainOne) {
    screen(Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 775));      // primary without a Dock
    screen(Rect(1000, 0, 800, 600), Rect(1000, 50, 800, 525)); // external with the Dock
    EXPECT_TRUE(tiles.isMouseInDockArea({1200, 10}));
    EXPECT_FALSE(tiles.isMouseInDockArea({200, 10}));
    EXPECT_FALSE(tiles.isMouseInDockArea({2500, 10})); // tested against the main screen, which has none
    desk.screenList.clear();
    EXPECT_FALSE(tiles.isMouseInDockArea({10, 10}));
}

TEST(DockTileIdentifier, TitleIsTheTileNameBeforeAComma) {
    FakeDesk desk;
    desk.addTile(QStringLiteral("  Mail, 3 new messages "));
    DockTileIdentifier tiles(desk, desk, desk);
    EXPECT_EQ(tiles.dockItemTitle(desk.tileCenter(QStringLiteral("  Mail, 3 new messages "))), QStringLiteral("Mail"));
    EXPECT_FALSE(tiles.dockItemTitle({700, 500}).has_value());
}

TEST(DockTileIdentifier, DockWordAndEmptyAttributesAreSkippedInOrder) {
    FakeDesk desk;
    desk.addTile(QStringLiteral("a"));
    desk.tiles[0].attributes = {{QStringLiteral("AXTitle"), QStringLiteral("  DOCK ")},
                                {QStringLiteral("AXDescription"), QStringLiteral(" \n")},
                                {QStringLiteral("AXHelp"), QStringLiteral("Notes,  extra")},
                                {QStringLiteral("AXValue"), QStringLiteral("Later")}};
    DockTileIdentifier tiles(desk, desk, desk);
    const Point at = desk.tileCenter(QStringLiteral("a"));
    EXPECT_EQ(tiles.dockItemTitle(at), QStringLiteral("Notes"));
    desk.tiles[0].attributes[QStringLiteral("AXHelp")] = QStringLiteral("dock");
    EXPECT_EQ(tiles.dockItemTitle(at), QStringLiteral("Later"));
    desk.tiles[0].attributes.erase(QStringLiteral("AXValue"));
    EXPECT_FALSE(tiles.dockItemTitle(at).has_value()); // and the tile has no parent to try
}

TEST(DockTileIdentifier, HitChildOfAnotherProcessGivesItsDockAncestorsTitleWithinEightLevels) {
    FakeDesk desk;
    desk.addTile(QStringLiteral("Maps"));
    DockTileIdentifier tiles(desk, desk, desk);
    const Point at = desk.tileCenter(QStringLiteral("Maps"));
    desk.tiles[0].hitDepth = 8;
    EXPECT_EQ(tiles.dockItemTitle(at), QStringLiteral("Maps"));
    desk.tiles[0].hitDepth = 9; // the Dock's tile is the tenth element: beyond the walk
    EXPECT_FALSE(tiles.dockItemTitle(at).has_value());
    EXPECT_EQ(tiles.elementAndAncestors(AXElement(42), 0).size(), 1u);
}

TEST(DockTileIdentifier, FirstMatchingRunningAppWinsAndTrashGoesToFinder) {
    FakeDesk desk;
    const int first = desk.addApp(QStringLiteral("com.one.notes"), QStringLiteral("Notes")).pid;
    desk.addApp(QStringLiteral("com.two.notes"), QStringLiteral("Notes"));
    const int finder = desk.addApp(QStringLiteral("com.apple.finder"), QStringLiteral("Finder")).pid;
    desk.addApp(QStringLiteral("com.example.bin"), QStringLiteral("Bin Trash")); // named like the Trash
    DockTileIdentifier tiles(desk, desk, desk);
    EXPECT_EQ(tiles.runningApplication(QStringLiteral("NOTES"))->pid, first);
    EXPECT_EQ(tiles.runningApplication(QStringLiteral("Bin Trash"))->pid, finder);
    EXPECT_FALSE(tiles.runningApplication(QStringLiteral("Dock")).has_value()); // accessory
}
