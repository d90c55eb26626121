#include "platform/VirtualScheduler.h"
#include "ui/common/HelpTipPlacement.h"
#include "ui/common/HelpTipTiming.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace nimbrel {
namespace {

// A tip goes under its item, over it when there is no room below, and never past the panel.
TEST(HelpTipPlacement, BesideTheItemAndInsideThePanel) {
    const QRectF panel(0, 0, 360, 500);
    const struct {
        const char* scene;
        QRectF item;
        QSizeF tip;
        QPointF at;
    } cases[] = {
        {"in the middle", {130, 100, 100, 40}, {100, 20}, {130, 146}},
        {"at the right edge", {330, 100, 30, 30}, {100, 20}, {256, 136}},
        {"at the left edge", {0, 100, 20, 20}, {100, 20}, {4, 126}},
        {"at the bottom", {130, 470, 100, 26}, {100, 20}, {130, 444}},
        {"wider than the panel", {130, 100, 100, 40}, {400, 20}, {4, 146}},
        {"an item as tall as the panel", {0, 0, 360, 500}, {100, 20}, {130, 476}},
        {"an item scrolled far below", {130, 2000, 100, 40}, {100, 20}, {130, 476}},
        {"an item scrolled far above", {130, -900, 100, 40}, {100, 20}, {130, 4}},
    };
    for (const auto& c : cases) {
        const QPointF at = placeHelpTip(c.item, c.tip, panel);
        EXPECT_EQ(at, c.at) << c.scene << ": " << at.x() << ", " << at.y();
    }
}

// Steps: "o" the pointer moves over the item, "x" away from it, "d" the item moves, "w" 0.6 s pass.
TEST(HelpTipTiming, ShowsAfterARestAndNotForWhatMovesUnderARestingPointer) {
    const struct {
        const char* steps;
        bool itemStillThere;
        bool shown;
        int changes;
    } cases[] = {
        {"o w w", true, true, 1},      {"o w", true, false, 0},           {"o w x w w", true, false, 0},
        {"o w o w", true, true, 1}, // a move over the item does not start the moment again
        {"o w w x", true, false, 2},   {"o w w d w w w", true, false, 2}, {"o w w d o w w", true, true, 3},
        {"o w d w w", true, false, 0}, {"o w w w w", false, false, 0}, // the item was no longer where the pointer came
                                                                       // to it
    };
    for (const auto& c : cases) {
        VirtualScheduler scheduler;
        int changes = 0;
        HelpTipTiming timing(
            &scheduler, [&] { return c.itemStillThere; }, [&] { ++changes; });
        for (const QString& step : QString(c.steps).split(' ')) {
            if (step == "o" || step == "x") timing.pointerAt(step == "o");
            if (step == "d") timing.dismiss();
            if (step == "w") scheduler.advance(0.6);
        }
        EXPECT_EQ(timing.shown(), c.shown) << c.steps;
        EXPECT_EQ(changes, c.changes) << c.steps;
    }
}

} // namespace
} // namespace nimbrel
