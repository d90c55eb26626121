#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kNotes = QStringLiteral("com.example.notes");

class DefaultTapBehaviorTest : public EngineFixture {
  protected:
    DefaultTapBehaviorTest() {
        notes = desk.addApp(kNotes, QStringLiteral("Notes")).pid;
        other = desk.addApp(QStringLiteral("com.example.other"), QStringLiteral("Other")).pid;
        engine->taps().setLongPressHandler(
            [this](const RunningApplication&, const QString& key, const DockTapContext&) { longPresses.append(key); });
    }
    // A press held past the long-press check: tells whether the tap kept the press.
    bool tapKeepsPress() {
        longPresses.clear();
        hold(QStringLiteral("Notes"), 0.45);
        scheduler.advance(0.5);
        return !longPresses.isEmpty();
    }
    void frontmost(bool yes) { desk.setFrontmost(yes ? notes : other); }
    bool visible(std::uint64_t id) const { return !desk.isMinimized(id); }
    std::optional<SingleWindowNextAction> stored() const {
        const auto& m = engine->state().singleWindowNextActionByAppKey;
        if (auto it = m.find(kNotes); it != m.end()) return it->second;
        return std::nullopt;
    }
    QStringList longPresses;
    int notes = 0, other = 0;
};

} // namespace

TEST_F(DefaultTapBehaviorTest, NoWindowsOnlyActivatesInEveryMode) {
    for (const char* mode : {"automatic", "cycling", "restore"}) {
        setMode(mode);
        desk.writes.clear();
        frontmost(false);
        tap(QStringLiteral("Notes"));
        EXPECT_EQ(desk.writes, QStringList{QStringLiteral("activate Notes")}) << mode;
    }
}

TEST_F(DefaultTapBehaviorTest, WindowOpenedSinceThePressIsBroughtForwardAndThenMinimized) {
    for (const char* mode : {"automatic", "cycling"}) {
        setMode(mode);
        desk.windowOrder[notes].clear();
        desk.writes.clear();
        engine->state().singleWindowNextActionByAppKey.clear();
        frontmost(false);
        engine->monitor().handleDockMouseDown(desk.tileCenter(QStringLiteral("Notes")));
        const auto w = desk.addWindow(notes, QStringLiteral("New"), true);
        scheduler.advance(0.45);
        engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}});
        EXPECT_TRUE(longPresses.isEmpty()) << mode; // this path clears the press
        EXPECT_EQ(desk.writes, (QStringList{QStringLiteral("activate Notes"), QStringLiteral("New AXMinimized=false"),
                                            QStringLiteral("New AXRaise"), QStringLiteral("New AXFocused=true")}))
            << mode;
        EXPECT_EQ(stored(), SingleWindowNextAction::minimize) << mode;
        EXPECT_TRUE(engine->state().appFocusedByNimbrelByAppKey.contains(kNotes));
        EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kNotes), AXElement(w));
    }
    // Automatic: the stored action makes the next tap on the frontmost app minimize it.
    setMode("automatic");
    desk.windowOrder[notes].erase(desk.windowOrder[notes].begin() + 1, desk.windowOrder[notes].end());
    const auto only = desk.windowOrder[notes].front();
    frontmost(true);
    tap(QStringLiteral("Notes"));
    EXPECT_TRUE(desk.isMinimized(only));
}

TEST_F(DefaultTapBehaviorTest, AutomaticFrontmostSingleWindowAlternatesStartingWithMinimize) {
    const auto w = desk.addWindow(notes, QStringLiteral("Only"));
    frontmost(true);
    EXPECT_TRUE(tapKeepsPress()); // the single-window path keeps the press
    EXPECT_FALSE(visible(w));
    EXPECT_EQ(stored(), SingleWindowNextAction::restore);
    // The press went on to the long press, which the test's handler only noted. Restore the window by tap:
    tap(QStringLiteral("Notes"));
    EXPECT_TRUE(visible(w)); // all minimized at mouse-down: restored
    EXPECT_EQ(stored(), SingleWindowNextAction::minimize);
    tap(QStringLiteral("Notes"));
    EXPECT_FALSE(visible(w));

    // Restored by the user after a minimizing tap: the next tap only brings it forward, the one after minimizes.
    desk.window(w).minimized = false;
    tap(QStringLiteral("Notes"));
    EXPECT_TRUE(visible(w));
    EXPECT_EQ(stored(), SingleWindowNextAction::minimize);
    tap(QStringLiteral("Notes"));
    EXPECT_FALSE(visible(w));
}

TEST_F(DefaultTapBehaviorTest, CyclingFrontmostSingleWindowAlwaysRestores) {
    setMode("cycling");
    const auto w = desk.addWindow(notes, QStringLiteral("Only"));
    frontmost(true);
    for (int i = 0; i < 3; ++i) {
        tap(QStringLiteral("Notes"));
        EXPECT_TRUE(visible(w));
    }
    EXPECT_EQ(desk.writes.count(QStringLiteral("Only AXRaise")), 3);
    EXPECT_FALSE(stored().has_value());
    EXPECT_TRUE(engine->state().appFocusedByNimbrelByAppKey.contains(kNotes));
}

TEST_F(DefaultTapBehaviorTest, NotFrontmostBringsForwardFocusedThenLastRestoredThenFirstVisibleThenFirstMinimized) {
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    const auto b = desk.addWindow(notes, QStringLiteral("B")); // in front of A
    frontmost(false);
    desk.focus(a);
    EXPECT_FALSE(tapKeepsPress());
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kNotes), AXElement(a));
    EXPECT_TRUE(engine->state().appFocusedByNimbrelByAppKey.contains(kNotes));

    frontmost(false);
    desk.window(a).focused = false;
    tap(QStringLiteral("Notes"));
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kNotes), AXElement(a)); // last restored, still visible
    desk.window(a).focused = false;
    desk.window(a).minimized = true;
    frontmost(false);
    tap(QStringLiteral("Notes"));
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kNotes), AXElement(b)); // first visible
    desk.window(b).focused = false;
    desk.window(a).minimized = true;
    desk.window(b).minimized = true;
    frontmost(false);
    // Everything minimized at mouse-down: the first minimized window comes back and the press is kept.
    EXPECT_TRUE(tapKeepsPress());
    EXPECT_TRUE(visible(desk.windowOrder[notes].front()));
}

TEST_F(DefaultTapBehaviorTest, FrontmostWithSeveralWindowsCyclesInAStableOrder) {
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    const auto b = desk.addWindow(notes, QStringLiteral("B"));
    const auto c = desk.addWindow(notes, QStringLiteral("C"));
    desk.windowOrder[notes] = {a, b, c};
    desk.focus(a);
    frontmost(true);
    std::vector<AXElement> brought;
    for (int i = 0; i < 4; ++i) {
        tap(QStringLiteral("Notes"));
        brought.push_back(engine->state().lastRestoredWindowByApp.at(kNotes));
        // The system reorders its list; the cycle does not change.
        std::rotate(desk.windowOrder[notes].begin(), desk.windowOrder[notes].begin() + 1,
                    desk.windowOrder[notes].end());
    }
    EXPECT_EQ(brought, (std::vector<AXElement>{AXElement(b), AXElement(c), AXElement(a), AXElement(b)}));
}

TEST_F(DefaultTapBehaviorTest, RestoreModeMinimizesOnlyTheFrontmostAppsFocusedWindow) {
    setMode("restore");
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    const auto b = desk.addWindow(notes, QStringLiteral("B"));
    desk.focus(a);
    frontmost(true);
    EXPECT_TRUE(tapKeepsPress());
    EXPECT_FALSE(visible(a));
    EXPECT_TRUE(visible(b));
    // No focused window: the first visible one.
    desk.window(a).focused = false;
    tap(QStringLiteral("Notes"));
    EXPECT_FALSE(visible(b));

    // Not frontmost, or nothing visible: nothing happens and the press is cleared.
    desk.writes.clear();
    EXPECT_FALSE(tapKeepsPress());
    frontmost(false);
    desk.window(a).minimized = false;
    EXPECT_FALSE(tapKeepsPress());
    EXPECT_TRUE(desk.writes.isEmpty());
}

TEST_F(DefaultTapBehaviorTest, DoubleTapWithoutRuleActsOnceAndOtherWindowCountsForgetTheStoredAction) {
    const auto w = desk.addWindow(notes, QStringLiteral("Only"));
    frontmost(true);
    tap(QStringLiteral("Notes"), 3);
    EXPECT_FALSE(visible(w));
    EXPECT_EQ(desk.writes, QStringList{QStringLiteral("Only AXMinimized=true")});
    EXPECT_EQ(stored(), SingleWindowNextAction::restore);
    desk.addWindow(notes, QStringLiteral("Second"));
    tap(QStringLiteral("Notes"));
    EXPECT_FALSE(stored().has_value());
}
