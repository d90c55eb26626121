#include "EngineFixture.h"

#include <cmath>
#include <limits>

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString kKey = QStringLiteral("com.example.notes");
const QString kFinderKey = QStringLiteral("com.apple.finder");

class WindowCyclerTest : public EngineFixture {
  protected:
    WindowCyclerTest() : cycler(engine->cycler()) {
        notes = desk.addApp(kKey, QStringLiteral("Notes")).pid;
        app = *desk.app(notes);
    }
    std::vector<AXElement> windowsOf() {
        std::vector<AXElement> out;
        for (auto id : desk.windowOrder[notes])
            out.push_back(AXElement(id));
        return out;
    }
    std::vector<AXElement> order() { return cycler.stableCycleOrder(windowsOf(), kKey); }
    // Finder with two folder windows, X then Y in its window list.
    void addFinder() {
        finderApp = desk.addApp(kFinderKey, QStringLiteral("Finder"));
        y = desk.addWindow(finderApp.pid, QStringLiteral("Y"));
        x = desk.addWindow(finderApp.pid, QStringLiteral("X"));
    }

    WindowCycler& cycler;
    int notes = 0;
    RunningApplication app;
    RunningApplication finderApp;
    std::uint64_t x = 0, y = 0;
};

} // namespace

TEST_F(WindowCyclerTest, IdentityKeyIsDocumentElseTitleAndPosition) {
    const auto w = desk.addWindow(notes, QStringLiteral("Inbox"));
    desk.window(w).position = Point{120.9, -45.5};
    EXPECT_EQ(cycler.windowCycleKey(AXElement(w)), QStringLiteral("title-inbox-120--45"));
    desk.window(w).title.reset();
    EXPECT_EQ(cycler.windowCycleKey(AXElement(w)), QStringLiteral("notitle-120--45"));
    desk.window(w).position.reset();
    const QString byReference = cycler.windowCycleKey(AXElement(w));
    EXPECT_TRUE(byReference.startsWith(QStringLiteral("notitle-ptr-0x")));
    // A position no whole number can hold is treated as unreadable.
    for (const Point bad :
         {Point{std::nan(""), 5}, Point{5, std::numeric_limits<double>::infinity()}, Point{1e300, 0}}) {
        desk.window(w).position = bad;
        EXPECT_EQ(cycler.windowCycleKey(AXElement(w)), byReference);
    }
    desk.window(w).document = QStringLiteral("file:///Users/anna/a%20b.txt");
    EXPECT_EQ(cycler.windowCycleKey(AXElement(w)), QStringLiteral("document-/Users/anna/a b.txt"));
}

TEST_F(WindowCyclerTest, OrderKeepsFirstSeenAppendsNewDropsClosedAndCollapsesSharedKeys) {
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    const auto b = desk.addWindow(notes, QStringLiteral("B"));
    desk.windowOrder[notes] = {a, b};
    EXPECT_EQ(order(), (std::vector<AXElement>{AXElement(a), AXElement(b)}));
    desk.windowOrder[notes] = {b, a};
    EXPECT_EQ(order(), (std::vector<AXElement>{AXElement(a), AXElement(b)}));

    const auto c = desk.addWindow(notes, QStringLiteral("C")); // in front of the list, yet last in the cycle
    EXPECT_EQ(order(), (std::vector<AXElement>{AXElement(a), AXElement(b), AXElement(c)}));
    desk.windowOrder[notes] = {c, b};
    EXPECT_EQ(order(), (std::vector<AXElement>{AXElement(b), AXElement(c)}));

    // Two untitled windows at one place share a key: the later one in the list stands for both.
    const auto u1 = desk.addWindow(notes, std::nullopt);
    const auto u2 = desk.addWindow(notes, std::nullopt);
    desk.window(u1).position = desk.window(u2).position = Point{0, 25};
    desk.windowOrder[notes] = {u1, u2};
    EXPECT_EQ(order(), std::vector<AXElement>{AXElement(u2)});
    EXPECT_EQ(engine->state().stableWindowCycleOrderByAppKey.at(kKey), QStringList{QStringLiteral("notitle-0-25")});
}

TEST_F(WindowCyclerTest, NextWindowFollowsCurrentElseTheStoredIndex) {
    const std::vector<AXElement> ordered{AXElement(1), AXElement(2), AXElement(3)};
    EXPECT_EQ(cycler.nextWindowInCycle(kKey, ordered, AXElement(3)), AXElement(1));
    EXPECT_EQ(engine->state().nextWindowIndexByApp.at(kKey), 0);
    EXPECT_EQ(cycler.nextWindowInCycle(kKey, ordered, AXElement(99)), AXElement(1)); // not found: the index
    EXPECT_EQ(engine->state().nextWindowIndexByApp.at(kKey), 1);
    EXPECT_EQ(cycler.nextWindowInCycle(kKey, ordered, std::nullopt), AXElement(2));
    EXPECT_EQ(cycler.nextWindowInCycle(kKey, {AXElement(7)}, std::nullopt), AXElement(7));
    EXPECT_EQ(engine->state().nextWindowIndexByApp.at(kKey), 0);
    EXPECT_FALSE(cycler.nextWindowInCycle(kKey, {}, std::nullopt).has_value());
}

TEST_F(WindowCyclerTest, AutomaticModeWithEveryWindowMinimizedRestoresTheNextOne) {
    const auto a = desk.addWindow(notes, QStringLiteral("A"), true);
    const auto b = desk.addWindow(notes, QStringLiteral("B"), true);
    desk.windowOrder[notes] = {a, b};
    engine->state().lastRestoredWindowByApp[kKey] = AXElement(a);
    cycler.cycleWindows(windowsOf(), std::nullopt, app, kKey);
    EXPECT_FALSE(desk.isMinimized(b));
    EXPECT_TRUE(desk.isMinimized(a));
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kKey), AXElement(b));
}

TEST_F(WindowCyclerTest, AppFocusedByTheEngineReanchorsOnTheFocusedWindow) {
    const auto a = desk.addWindow(notes, QStringLiteral("A"));
    const auto b = desk.addWindow(notes, QStringLiteral("B"));
    const auto c = desk.addWindow(notes, QStringLiteral("C"));
    desk.windowOrder[notes] = {a, b, c};
    engine->state().lastRestoredWindowByApp[kKey] = AXElement(a);
    engine->state().appFocusedByNimbrelByAppKey.insert(kKey);
    desk.focus(b);
    cycler.cycleWindows(windowsOf(), AXElement(b), app, kKey);
    EXPECT_EQ(engine->state().lastRestoredWindowByApp.at(kKey), AXElement(c));
    EXPECT_FALSE(engine->state().appFocusedByNimbrelByAppKey.contains(kKey));
}

TEST_F(WindowCyclerTest, FreshFinderActivationKeepsTheWindowTheUserChose) {
    const QString finderKey = kFinderKey;
    addFinder();
    engine->state().lastRestoredWindowByApp[finderKey] = AXElement(x);
    engine->state().lastDockClickDateByAppKey[finderKey] = scheduler.now();
    scheduler.advance(0.69);
    EXPECT_TRUE(cycler.isFreshFinderDockActivation(finderApp, finderKey, AXElement(y)));
    EXPECT_FALSE(cycler.isFreshFinderDockActivation(finderApp, finderKey, AXElement(x)));
    EXPECT_FALSE(cycler.isFreshFinderDockActivation(app, kKey, AXElement(y)));
    // No tap date is kept under the Trash key, so the Trash always advances.
    EXPECT_FALSE(cycler.isFreshFinderDockActivation(finderApp, finderKey + QStringLiteral("#Trash"), AXElement(y)));
    scheduler.advance(0.01);
    EXPECT_FALSE(cycler.isFreshFinderDockActivation(finderApp, finderKey, AXElement(y)));
}

TEST_F(WindowCyclerTest, OnlyAnAppTheEngineFocusedIsReanchoredBeforeTheFinderRule) {
    const QString finderKey = kFinderKey;
    addFinder();
    const std::vector<AXElement> windows{AXElement(x), AXElement(y)};
    EngineState& s = engine->state();
    s.lastDockClickDateByAppKey[finderKey] = scheduler.now(); // the tap's own time

    // Nothing restored yet: the focused front window is the user's choice and stays.
    desk.focus(x);
    desk.writes.clear();
    cycler.cycleWindows(windows, AXElement(x), finderApp, finderKey);
    EXPECT_TRUE(desk.writes.isEmpty());
    EXPECT_EQ(s.lastRestoredWindowByApp.at(finderKey), AXElement(x));

    // The engine focused Finder and no window reads as focused: the anchor falls back on the
    // first visible window, so the tap advances instead of counting as a fresh activation.
    s.lastRestoredWindowByApp.erase(finderKey);
    s.appFocusedByNimbrelByAppKey.insert(finderKey);
    cycler.cycleWindows(windows, std::nullopt, finderApp, finderKey);
    EXPECT_EQ(s.lastRestoredWindowByApp.at(finderKey), AXElement(y));
    EXPECT_FALSE(s.appFocusedByNimbrelByAppKey.contains(finderKey));
}
