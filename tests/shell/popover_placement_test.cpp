#include "app/PopoverPlacement.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// The main menu's pause button in the 360 x 500 panel, and the pause menu running (357 high)
// and paused (408 high, one row and one divider more).
const QRectF kButton(18, 381, 324, 42);
const QRectF kPanel(0, 0, 360, 500);
constexpr double kRunning = 357;
constexpr double kPaused = 408;

struct Case {
    const char* name;
    QRectF control;
    double height;
    QRectF area;
    QRectF frame;
    bool arrowOnTop;
    double arrowX;
    bool scrolls;
};

TEST(PopoverPlacement, AboveThenBelowThenTheRoomierSideCutShort) {
    const Case cases[] = {
        {"fits above", kButton, kRunning, kPanel, {70, 16, 220, kRunning}, false, 110, false},
        // The panel hangs 4 points under the visible top of a screen: below fits, on the desktop.
        {"taller: below", kButton, kPaused, {-1360, -4, 1728, 1005}, {70, 431, 220, kPaused}, true, 110, false},
        {"taller, only the panel: above, cut", kButton, kPaused, kPanel, {70, 6, 220, 367}, false, 110, true},
        {"near the top: below, cut", {18, 50, 324, 42}, 460, kPanel, {70, 100, 220, 394}, true, 110, true},
        // A small control at the right: the popover stays inside, its arrow follows the control.
        {"pulled in from the right", {300, 300, 20, 20}, 100, kPanel, {134, 192, 220, 100}, false, 176, false},
        {"arrow kept off the corner", {352, 300, 8, 8}, 100, kPanel, {134, 192, 220, 100}, false, 200, false},
        {"no room at all", {0, 0, 360, 500}, 100, kPanel, {70, -8, 220, 0}, false, 110, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PopoverPlacement p = placePopover(c.control, {220, c.height}, c.area, 8, 6, 20);
        EXPECT_EQ(p.frame, c.frame);
        EXPECT_EQ(p.arrowOnTop, c.arrowOnTop);
        EXPECT_EQ(p.arrowX, c.arrowX);
        EXPECT_EQ(p.scrolls, c.scrolls);
        // Never over the control, whatever the room.
        EXPECT_FALSE(p.frame.intersects(c.control));
    }
}

} // namespace
} // namespace nimbrel
