#include "EngineFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kNotes = QStringLiteral("com.example.notes");
const QString kFinder = QStringLiteral("com.apple.finder");
const QString kMinimizeAfterCycle = QStringLiteral("Nimbrel.settings.minimizeAfterCycle");

// A frontmost app with three visible windows A, B, C (first seen in that order), A focused.
class CyclingSettleTest : public EngineFixture {
  protected:
    CyclingSettleTest() {
        notes = desk.addApp(kNotes, QStringLiteral("Notes")).pid;
        other = desk.addApp(QStringLiteral("com.example.other"), QStringLiteral("Other")).pid;
        c = desk.addWindow(notes, QStringLiteral("C"));
        b = desk.addWindow(notes, QStringLiteral("B"));
        a = desk.addWindow(notes, QStringLiteral("A"));
        desk.focus(a);
        desk.setFrontmost(notes);
        minimizeAfterCycle(true);
    }
    void minimizeAfterCycle(bool on) { defaults.setBool(kMinimizeAfterCycle, on); }
    std::optional<std::uint64_t> focusedWindow(int pid) const {
        for (const auto& [id, w] : desk.windows)
            if (w.pid == pid && w.focused) return id;
        return std::nullopt;
    }
    // A quick tap: the tap fires 0.12 s after the press; nothing more passes.
    void quickTap(const QString& tile) {
        engine->monitor().handleDockMouseDown(desk.tileCenter(tile));
        engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}});
        scheduler.advance(0.12);
    }
    QStringList settledLines() const { return log.startingWith(QStringLiteral("NimbrelEngine: cycling settled")); }

    int notes = 0, other = 0;
    std::uint64_t a = 0, b = 0, c = 0;
};

} // namespace

TEST_F(CyclingSettleTest, CycleOrderSurvivesTheSystemReorderingWindowsAndEachStepSettles) {
    const std::vector<std::uint64_t> expected{b, c, a, b};
    for (size_t i = 0; i < expected.size(); ++i) {
        // The system puts the windows in some other order before each tap.
        std::rotate(desk.windowOrder[notes].begin(), desk.windowOrder[notes].begin() + 1,
                    desk.windowOrder[notes].end());
        quickTap(QStringLiteral("Notes"));
        ASSERT_EQ(focusedWindow(notes), expected[i]) << "tap " << i;
        scheduler.advance(2.99);
        EXPECT_EQ(settledLines().size(), i) << "settled early, tap " << i;
        scheduler.advance(0.01);
        // The two windows not brought forward are minimized, the one in front stays.
        for (auto w : {a, b, c})
            EXPECT_EQ(desk.isMinimized(w), w != expected[i]) << "tap " << i;
        EXPECT_EQ(settledLines().size(), i + 1);
    }
    // The first settle finds two windows to minimize; later ones only the window left in front before.
    EXPECT_EQ(settledLines().front(),
              QStringLiteral("NimbrelEngine: cycling settled — minimized 2 background window(s) for Notes"));
    EXPECT_EQ(settledLines().back(),
              QStringLiteral("NimbrelEngine: cycling settled — minimized 1 background window(s) for Notes"));
    ASSERT_EQ(activities.size(), 4u);
    EXPECT_EQ(activities.front().type, NimbrelActivityType::info);
    EXPECT_EQ(activities.front().title, QStringLiteral("Cycling Settled"));
    EXPECT_EQ(activities.front().message, QStringLiteral("Minimized 2 background Notes windows after settling."));
}

TEST_F(CyclingSettleTest, QuickTapsSettleOnceThreeSecondsAfterTheLast) {
    quickTap(QStringLiteral("Notes"));
    scheduler.advance(0.5);
    quickTap(QStringLiteral("Notes"));
    scheduler.advance(0.5);
    quickTap(QStringLiteral("Notes"));
    EXPECT_EQ(engine->state().cyclingSettleWorkItems.size(), 1u);
    scheduler.advance(2.99);
    EXPECT_TRUE(settledLines().isEmpty());
    scheduler.advance(0.01);
    EXPECT_EQ(settledLines().size(), 1);
    EXPECT_TRUE(engine->state().cyclingSettleWorkItems.empty());
    scheduler.advance(10);
    EXPECT_EQ(settledLines().size(), 1);
    EXPECT_EQ(activities.size(), 1u);
}

TEST_F(CyclingSettleTest, NothingSettlesWhenTheUserMovedToAnotherApp) {
    quickTap(QStringLiteral("Notes"));
    desk.setFrontmost(other);
    scheduler.advance(3);
    EXPECT_TRUE(settledLines().isEmpty());
    EXPECT_TRUE(activities.empty());
    for (auto w : {a, b, c})
        EXPECT_FALSE(desk.isMinimized(w));
}

TEST_F(CyclingSettleTest, SettingOffAtTheNextCycleTapCancelsThePendingStep) {
    quickTap(QStringLiteral("Notes"));
    ASSERT_EQ(engine->state().cyclingSettleWorkItems.count(kNotes), 1u);
    scheduler.advance(1);
    minimizeAfterCycle(false);
    quickTap(QStringLiteral("Notes"));
    EXPECT_EQ(engine->state().cyclingSettleWorkItems.count(kNotes), 0u);
    scheduler.advance(5);
    EXPECT_TRUE(settledLines().isEmpty());
    for (auto w : {a, b, c})
        EXPECT_FALSE(desk.isMinimized(w));
}

TEST_F(CyclingSettleTest, OnlyTheCycledWindowVisibleRecordsNothing) {
    quickTap(QStringLiteral("Notes")); // brings B forward
    desk.window(a).minimized = desk.window(c).minimized = true;
    desk.writes.clear();
    scheduler.advance(3);
    EXPECT_TRUE(settledLines().isEmpty());
    EXPECT_TRUE(activities.empty());
    EXPECT_TRUE(desk.writes.isEmpty());
}

TEST_F(CyclingSettleTest, CycledWindowMinimizedMeanwhileStopsTheStepAndOneOtherWindowIsSingular) {
    quickTap(QStringLiteral("Notes")); // B
    desk.window(b).minimized = true;
    scheduler.advance(3);
    EXPECT_TRUE(settledLines().isEmpty());
    EXPECT_FALSE(desk.isMinimized(a));

    desk.window(b).minimized = false;
    desk.window(a).minimized = true;
    desk.focus(b);
    quickTap(QStringLiteral("Notes")); // B focused: C is next, B the one other visible window
    ASSERT_EQ(focusedWindow(notes), c);
    scheduler.advance(3);
    EXPECT_TRUE(desk.isMinimized(a) && desk.isMinimized(b));
    EXPECT_FALSE(desk.isMinimized(c));
    ASSERT_EQ(activities.size(), 1u);
    EXPECT_EQ(activities.back().message, QStringLiteral("Minimized 1 background Notes window after settling."));
    EXPECT_EQ(settledLines(), QStringList{QStringLiteral(
                                  "NimbrelEngine: cycling settled — minimized 1 background window(s) for Notes")});
}

TEST_F(CyclingSettleTest, AutomaticCycleOverAllMinimizedWindowsCancelsAndArmsNoSettle) {
    quickTap(QStringLiteral("Notes")); // B, settle armed
    ASSERT_EQ(engine->state().cyclingSettleWorkItems.count(kNotes), 1u);
    for (auto w : {a, b, c})
        desk.window(w).minimized = true;
    desk.writes.clear();
    quickTap(QStringLiteral("Notes"));
    // One window comes back: the one after the last restored (B) in the order.
    EXPECT_FALSE(desk.isMinimized(c));
    EXPECT_TRUE(desk.isMinimized(a) && desk.isMinimized(b));
    EXPECT_EQ(engine->state().cyclingSettleWorkItems.count(kNotes), 0u);
    scheduler.advance(5);
    EXPECT_TRUE(settledLines().isEmpty());
}

TEST_F(CyclingSettleTest, CyclingModeOverAllMinimizedWindowsRestoresTheNextAndArmsTheSettle) {
    setMode("cycling");
    desk.focus(0); // nothing focused
    engine->state().lastRestoredWindowByApp[kNotes] = AXElement(a);
    quickTap(QStringLiteral("Notes")); // warms the order: A, B, C; A is the anchor, B comes forward
    ASSERT_EQ(focusedWindow(notes), b);
    for (auto w : {a, b, c})
        desk.window(w).minimized = true;
    quickTap(QStringLiteral("Notes"));
    EXPECT_FALSE(desk.isMinimized(c));
    EXPECT_EQ(engine->state().cyclingSettleWorkItems.count(kNotes), 1u);
}

TEST_F(CyclingSettleTest, TrashKeySettlesOnlyTrashWindowsAndFinderKeyOnlyTheOthers) {
    RunningApplication& finderApp = desk.addApp(kFinder, QStringLiteral("Finder"));
    const RunningApplication finder = finderApp;
    const auto docs = desk.addWindow(finder.pid, QStringLiteral("Documents"));
    const auto untitled = desk.addWindow(finder.pid, std::nullopt);
    const auto trash1 = desk.addWindow(finder.pid, QStringLiteral("Trash"));
    const auto trash2 = desk.addWindow(finder.pid, QStringLiteral("Trash"));
    desk.setFrontmost(finder.pid);

    engine->settle().settleCycling(finder, kFinder + QStringLiteral("#Trash"), AXElement(trash1));
    EXPECT_TRUE(desk.isMinimized(trash2));
    EXPECT_FALSE(desk.isMinimized(trash1) || desk.isMinimized(docs) || desk.isMinimized(untitled));

    desk.window(trash2).minimized = false;
    engine->settle().settleCycling(finder, kFinder, AXElement(docs));
    EXPECT_TRUE(desk.isMinimized(untitled)); // untitled windows belong with Finder's own
    EXPECT_FALSE(desk.isMinimized(trash1) || desk.isMinimized(trash2) || desk.isMinimized(docs));
    ASSERT_EQ(activities.size(), 2u);
    EXPECT_EQ(activities.back().message, QStringLiteral("Minimized 1 background Finder window after settling."));
}

TEST_F(CyclingSettleTest, AppsWithoutBundleIdentifierAreTheSameAppOnlyAsTheSameProcess) {
    RunningApplication loose = desk.addApp(QString(), QStringLiteral("Loose"), QStringLiteral("/opt/Loose.app"));
    RunningApplication& strayRef = desk.addApp(QString(), QStringLiteral("Stray"), QStringLiteral("/opt/Stray.app"));
    const int stray = strayRef.pid;
    const auto keep = desk.addWindow(loose.pid, QStringLiteral("Keep"));
    const auto bg = desk.addWindow(loose.pid, QStringLiteral("Background"));
    const QString key = QStringLiteral("/opt/Loose.app");

    desk.setFrontmost(stray);
    engine->settle().settleCycling(loose, key, AXElement(keep));
    EXPECT_FALSE(desk.isMinimized(bg));
    desk.setFrontmost(0); // no frontmost application at all
    engine->settle().settleCycling(loose, key, AXElement(keep));
    EXPECT_FALSE(desk.isMinimized(bg));

    desk.setFrontmost(loose.pid);
    engine->settle().settleCycling(loose, key, AXElement(keep));
    EXPECT_TRUE(desk.isMinimized(bg));
    // The log falls back on the app key, the activity on "app", when the app has no name.
    loose.localizedName.reset();
    desk.window(bg).minimized = false;
    engine->settle().settleCycling(loose, key, AXElement(keep));
    EXPECT_EQ(settledLines().back(),
              QStringLiteral("NimbrelEngine: cycling settled — minimized 1 background window(s) for /opt/Loose.app"));
    EXPECT_EQ(activities.back().message, QStringLiteral("Minimized 1 background app window after settling."));
}

TEST_F(CyclingSettleTest, PendingStepDoesNothingOnceTheEngineIsGone) {
    quickTap(QStringLiteral("Notes"));
    engine.reset();
    scheduler.advance(5);
    for (auto w : {a, c})
        EXPECT_FALSE(desk.isMinimized(w));
    EXPECT_TRUE(activities.empty());
}
