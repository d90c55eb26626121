#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kNotes = QStringLiteral("com.example.notes");
const QString kFinder = QStringLiteral("com.apple.finder");

class LongPressTest : public EngineFixture {
  protected:
    LongPressTest() {
        notes = desk.addApp(kNotes, QStringLiteral("Notes")).pid;
        other = desk.addApp(QStringLiteral("com.example.other"), QStringLiteral("Other")).pid;
        defaults.setBool(QStringLiteral("Nimbrel.settings.minimizeAfterCycle"), false);
    }
    QStringList keys() const { return desk.writes.filter(QStringLiteral("key ")); }
    QStringList longPressLines() const { return log.startingWith(QStringLiteral("NimbrelEngine: long Dock click")); }
    // Pressed on the tile and still held at `seconds` (the button is not released).
    void pressAndHold(const QString& tile, double seconds) {
        engine->monitor().handleDockMouseDown(desk.tileCenter(tile));
        scheduler.advance(seconds);
    }
    void release() { engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}}); }

    int notes = 0, other = 0;
};

} // namespace

TEST_F(LongPressTest, MinimizesAllVisibleWindowsAndPressesEscapeLater) {
    const auto c = desk.addWindow(notes, QStringLiteral("C"));
    const auto b = desk.addWindow(notes, QStringLiteral("B"));
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    desk.focus(a);
    desk.setFrontmost(notes);
    pressAndHold(QStringLiteral("Notes"), 0.4); // the tap (0.12 s) cycles to B first, then the long press
    for (auto w : {a, b, c})
        EXPECT_TRUE(desk.isMinimized(w));
    EXPECT_TRUE(keys().isEmpty());
    EXPECT_EQ(longPressLines(),
              QStringList{QStringLiteral("NimbrelEngine: long Dock click minimized 3 windows for Notes")});
    ASSERT_EQ(activities.size(), 1u);
    EXPECT_EQ(activities[0].type, NimbrelActivityType::info);
    EXPECT_EQ(activities[0].title, QStringLiteral("Windows Minimized"));
    EXPECT_EQ(activities[0].message, QStringLiteral("Long Dock click minimized 3 Notes windows."));

    scheduler.advance(0.149);
    EXPECT_TRUE(keys().isEmpty());
    scheduler.advance(0.001);
    EXPECT_EQ(keys(), (QStringList{QStringLiteral("key 53 down"), QStringLiteral("key 53 up")}));
    release();
    scheduler.advance(2);
    EXPECT_EQ(keys().size(), 2);
    EXPECT_EQ(desk.frontmostPid, notes); // the minimize branch does not activate
}

TEST_F(LongPressTest, RestoresAllWhenAllWereMinimizedAtMouseDown) {
    const auto b = desk.addWindow(notes, QStringLiteral("B"), true);
    const auto a = desk.addWindow(notes, QStringLiteral("A"), true);
    desk.setFrontmost(other);
    pressAndHold(QStringLiteral("Notes"), 0.4);
    release();
    EXPECT_FALSE(desk.isMinimized(a) || desk.isMinimized(b));
    EXPECT_EQ(desk.frontmostPid, notes);
    // The long press itself writes only the flags and activates: it raises and focuses nothing.
    const int longPressAt = int(desk.writes.lastIndexOf(QStringLiteral("activate Notes")));
    EXPECT_EQ(desk.writes.mid(longPressAt - 2, 3),
              (QStringList{QStringLiteral("A AXMinimized=false"), QStringLiteral("B AXMinimized=false"),
                           QStringLiteral("activate Notes")}));
    EXPECT_EQ(longPressLines(),
              QStringList{QStringLiteral("NimbrelEngine: long Dock click restored 2 windows for Notes")});
    ASSERT_EQ(activities.size(), 1u);
    EXPECT_EQ(activities[0].title, QStringLiteral("Windows Restored"));
    EXPECT_EQ(activities[0].message, QStringLiteral("Long Dock click restored 2 Notes windows."));
    scheduler.advance(0.15);
    EXPECT_EQ(keys(), (QStringList{QStringLiteral("key 53 down"), QStringLiteral("key 53 up")}));
}

TEST_F(LongPressTest, OneVisibleAndOneMinimizedCountsAsMinimizeAllOfTwo) {
    const auto hidden = desk.addWindow(notes, QStringLiteral("Hidden"), true);
    const auto shown = desk.addWindow(notes, QStringLiteral("Shown"));
    desk.setFrontmost(notes);
    engine->taps().setTapHandler([](const RunningApplication&, const DockTapContext&, int) {}); // only the long press
    pressAndHold(QStringLiteral("Notes"), 0.4);
    EXPECT_EQ(desk.writes, QStringList{QStringLiteral("Shown AXMinimized=true")});
    EXPECT_TRUE(desk.isMinimized(shown) && desk.isMinimized(hidden));
    ASSERT_EQ(activities.size(), 1u);
    EXPECT_EQ(activities[0].message, QStringLiteral("Long Dock click minimized 2 Notes windows."));
}

TEST_F(LongPressTest, AppWithOneWindowIsLeftAlone) {
    desk.addWindow(notes, QStringLiteral("Only"));
    desk.setFrontmost(other);
    engine->taps().setTapHandler([](const RunningApplication&, const DockTapContext&, int) {});
    pressAndHold(QStringLiteral("Notes"), 0.4);
    release();
    scheduler.advance(1);
    EXPECT_TRUE(desk.writes.isEmpty());
    EXPECT_TRUE(activities.empty());
    EXPECT_TRUE(longPressLines().isEmpty());
    EXPECT_FALSE(engine->state().ruleTriggeredSuppressUntilByAppKey.count(kNotes));
    EXPECT_FALSE(engine->state().nextWindowIndexByApp.count(kNotes));
}

TEST_F(LongPressTest, TapsWithinTheFollowingSecondAreDropped) {
    desk.addWindow(notes, QStringLiteral("B"));
    desk.addWindow(notes, QStringLiteral("A"));
    desk.setFrontmost(notes);
    int taps = 0;
    engine->taps().setTapHandler([&taps](const RunningApplication&, const DockTapContext&, int) { ++taps; });
    pressAndHold(QStringLiteral("Notes"), 0.4);
    release();
    ASSERT_EQ(taps, 1); // the press's own tap came first
    scheduler.advance(0.89);
    tap(QStringLiteral("Notes"));
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(
        log.count(QStringLiteral("NimbrelRules: suppressing duplicate Dock tap after rule execution for ") + kNotes),
        1);
    tap(QStringLiteral("Notes"));
    EXPECT_EQ(taps, 2);
}

TEST_F(LongPressTest, ResetsCyclingStateButKeepsTheOrderAndTheLastRestoredWindow) {
    desk.addWindow(notes, QStringLiteral("B"));
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    desk.setFrontmost(notes);
    defaults.setBool(QStringLiteral("Nimbrel.settings.minimizeAfterCycle"), true);
    EngineState& s = engine->state();
    s.appFocusedByNimbrelByAppKey.insert(kNotes);
    s.singleWindowNextActionByAppKey[kNotes] = SingleWindowNextAction::restore;
    s.lastRestoredWindowByApp[kNotes] = AXElement(a);

    pressAndHold(QStringLiteral("Notes"), 0.4); // its tap cycles and arms a settle step
    release();
    EXPECT_FALSE(s.appFocusedByNimbrelByAppKey.contains(kNotes));
    EXPECT_EQ(s.nextWindowIndexByApp.at(kNotes), 0);
    EXPECT_FALSE(s.singleWindowNextActionByAppKey.count(kNotes));
    EXPECT_FALSE(s.cyclingSettleWorkItems.count(kNotes));
    EXPECT_FALSE(s.pendingDockTapByAppKey.count(kNotes));
    EXPECT_TRUE(s.lastRestoredWindowByApp.count(kNotes));
    EXPECT_EQ(s.stableWindowCycleOrderByAppKey.at(kNotes).size(), 2);
    scheduler.advance(5);
    EXPECT_TRUE(log.startingWith(QStringLiteral("NimbrelEngine: cycling settled")).isEmpty());
}

TEST_F(LongPressTest, FinderTileSparesTrashWindowsAndTheTrashTileTouchesOnlyThem) {
    const RunningApplication finder = desk.addApp(kFinder, QStringLiteral("Finder"));
    desk.addTile(QStringLiteral("Trash"));
    const auto trash1 = desk.addWindow(finder.pid, QStringLiteral("Trash"));
    const auto trash2 = desk.addWindow(finder.pid, QStringLiteral("Trash"));
    const auto docs = desk.addWindow(finder.pid, QStringLiteral("Documents"));
    const auto untitled = desk.addWindow(finder.pid, std::nullopt);
    desk.setFrontmost(other);
    engine->taps().setTapHandler([](const RunningApplication&, const DockTapContext&, int) {});

    pressAndHold(QStringLiteral("Finder"), 0.4);
    release();
    EXPECT_TRUE(desk.isMinimized(docs) && desk.isMinimized(untitled));
    EXPECT_FALSE(desk.isMinimized(trash1) || desk.isMinimized(trash2));
    EXPECT_EQ(activities.back().message, QStringLiteral("Long Dock click minimized 2 Finder windows."));

    desk.window(docs).minimized = desk.window(untitled).minimized = false;
    engine->state().nextWindowIndexByApp[kFinder] = 1;
    engine->state().nextWindowIndexByApp[kFinder + QStringLiteral("#Trash")] = 1;
    scheduler.advance(1); // past the suppression
    pressAndHold(QStringLiteral("Trash"), 0.4);
    release();
    EXPECT_TRUE(desk.isMinimized(trash1) && desk.isMinimized(trash2));
    EXPECT_FALSE(desk.isMinimized(docs) || desk.isMinimized(untitled));
    // The Trash tile resets Finder's own state, not the Trash key's.
    EXPECT_EQ(engine->state().nextWindowIndexByApp.at(kFinder), 0);
    EXPECT_EQ(engine->state().nextWindowIndexByApp.at(kFinder + QStringLiteral("#Trash")), 1);
    EXPECT_EQ(activities.size(), 2u);
}

namespace {

// Keyboard events that cannot be made from a certain point on.
class FailingKeys final : public Input {
  public:
    EventMonitorHandle addGlobalMouseMonitor(std::function<void(const MouseEvent&)>) override { return nullptr; }
    Point pointerLocation() const override { return {}; }
    bool postKeyEvent(int keyCode, bool keyDown) override {
        if (failFrom-- <= 0) return false;
        posted.append(QStringLiteral("%1 %2").arg(keyCode).arg(keyDown));
        return true;
    }
    int failFrom = 0;
    QStringList posted;
};

} // namespace

TEST_F(LongPressTest, NoKeyUpWithoutItsKeyDown) {
    FailingKeys keys;
    LongPressHandler handler(engine->state(), {desk, desk, keys, scheduler, scheduler}, engine->services());
    handler.dismissDockMenu();
    scheduler.advance(0.15);
    EXPECT_TRUE(keys.posted.isEmpty());
    keys.failFrom = 1;
    handler.dismissDockMenu();
    scheduler.advance(0.15);
    EXPECT_EQ(keys.posted, QStringList{QStringLiteral("53 1")});
}
