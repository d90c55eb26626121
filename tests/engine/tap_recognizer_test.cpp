#include "LogCapture.h"
#include "engine/TapRecognizer.h"
#include "platform/VirtualScheduler.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

struct Fired {
    QString appKey;
    int clickCount;
    std::optional<QString> dockTitle;
    double at;
};

class TapRecognizerTest : public ::testing::Test {
  protected:
    TapRecognizerTest() : taps(state, scheduler, scheduler) {
        taps.setTapHandler([this](const RunningApplication& app, const DockTapContext& context, int count) {
            fired.push_back(
                {*app.bundleIdentifier, count, context.dockTitle, scheduler.now().secondsSinceReferenceDate});
        });
        taps.setLongPressHandler(
            [this](const RunningApplication&, const QString& key, const DockTapContext&) { longPresses.append(key); });
    }

    static RunningApplication app(const QString& id) {
        RunningApplication a;
        a.bundleIdentifier = id;
        return a;
    }
    static DockTapContext context(const QString& title) {
        DockTapContext c;
        c.dockTitle = title;
        return c;
    }
    // A press as the monitor records it: the press, its tap and its long-press check.
    void press(const QString& id, const QString& title = QStringLiteral("tile")) {
        const Uuid token = Uuid::random();
        state.isPrimaryMouseButtonDown = true;
        state.activeDockPress = ActiveDockPress{token, app(id), id, context(title)};
        taps.registerDockTap(app(id), context(title));
        taps.scheduleLongPressCheck(token);
    }
    void release() {
        state.isPrimaryMouseButtonDown = false;
        state.activeDockPress.reset();
    }

    test::LogCapture log;
    VirtualScheduler scheduler;
    EngineState state;
    TapRecognizer taps;
    std::vector<Fired> fired;
    QStringList longPresses;
};

const QString kSafari = QStringLiteral("com.apple.Safari");
const QString kMail = QStringLiteral("com.apple.mail");

} // namespace

TEST_F(TapRecognizerTest, PressesWithin012sCountTogetherUpToThree) {
    for (int i = 0; i < 4; ++i) {
        press(kSafari);
        release();
        scheduler.advance(0.1);
        EXPECT_TRUE(fired.empty());
    }
    // The fourth press moved the firing to 0.12 s after it, still counted as three.
    scheduler.advance(0.019);
    EXPECT_TRUE(fired.empty());
    scheduler.advance(0.002);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].clickCount, 3);
    EXPECT_NEAR(fired[0].at, 0.42, 1e-9);
    EXPECT_TRUE(state.pendingDockTapByAppKey.empty());
    EXPECT_NEAR(state.lastDockClickDateByAppKey.at(kSafari).secondsSinceReferenceDate, 0.42, 1e-9);
    EXPECT_TRUE(longPresses.isEmpty());
}

TEST_F(TapRecognizerTest, PressesSlowerThan012sAndOnOtherAppsAreSeparateTaps) {
    press(kSafari, QStringLiteral("first"));
    release();
    press(kMail);
    release();
    scheduler.advance(0.13);
    press(kSafari, QStringLiteral("second"));
    release();
    scheduler.advance(0.13);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[0].appKey, kSafari);
    EXPECT_EQ(fired[1].appKey, kMail);
    EXPECT_EQ(fired[2].dockTitle, QStringLiteral("second"));
    for (const auto& f : fired)
        EXPECT_EQ(f.clickCount, 1);
}

TEST_F(TapRecognizerTest, BurstKeepsTheFirstPressContext) {
    press(kSafari, QStringLiteral("Finder"));
    press(kSafari, QStringLiteral("Trash"));
    release();
    scheduler.advance(0.2);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].clickCount, 2);
    EXPECT_EQ(fired[0].dockTitle, QStringLiteral("Finder"));
}

TEST_F(TapRecognizerTest, HeldPressGivesTapThenLongPress_ReleasedEarlyGivesTapOnly) {
    press(kSafari);
    scheduler.advance(0.3);
    release();
    scheduler.advance(0.2);
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_TRUE(longPresses.isEmpty());

    press(kMail);
    scheduler.advance(0.39);
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_TRUE(longPresses.isEmpty());
    scheduler.advance(0.02);
    EXPECT_EQ(longPresses, QStringList{kMail});
    EXPECT_FALSE(state.activeDockPress.has_value());
}

TEST_F(TapRecognizerTest, LongPressTakesAPendingTapAndANewPressVoidsTheOldCheck) {
    press(kSafari);
    scheduler.advance(0.35);
    press(kSafari); // replaces the press record: the first check finds another token
    scheduler.advance(0.1);
    EXPECT_TRUE(longPresses.isEmpty());
    ASSERT_EQ(fired.size(), 1u); // the first press's own tap fired at 0.12
    scheduler.advance(0.03);     // the second press's tap fires at 0.47
    EXPECT_EQ(fired.size(), 2u);
    scheduler.advance(0.3);
    EXPECT_EQ(longPresses, QStringList{kSafari});

    // A long-press check that finds the press's tap still pending (here held back by hand) drops it.
    longPresses.clear();
    release();
    state.pendingDockTapByAppKey.clear();
    press(kMail);
    state.pendingDockTapByAppKey[kMail].workItem->cancel();
    WorkHandle late = scheduler.after(10, [] {});
    state.pendingDockTapByAppKey[kMail].workItem = late;
    scheduler.advance(0.4);
    EXPECT_EQ(longPresses, QStringList{kMail});
    EXPECT_TRUE(late->isCancelled());
    EXPECT_FALSE(state.pendingDockTapByAppKey.count(kMail));
}

TEST_F(TapRecognizerTest, SuppressionDropsTapsButNotTheLongPress) {
    state.ruleTriggeredSuppressUntilByAppKey[kSafari] = Date{0.9};
    press(kSafari);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelRules: suppressing duplicate Dock tap after rule execution for ") +
                             kSafari));
    scheduler.advance(0.5);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(longPresses, QStringList{kSafari});
    release();

    // At the exact end of the window the press counts again and the entry is gone.
    scheduler.advanceTo(Date{0.9});
    press(kSafari);
    release();
    EXPECT_FALSE(state.ruleTriggeredSuppressUntilByAppKey.count(kSafari));
    scheduler.advance(0.2);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(TapRecognizerTest, AppWithoutKeyRegistersNothing) {
    taps.registerDockTap(RunningApplication{}, DockTapContext{});
    EXPECT_TRUE(state.pendingDockTapByAppKey.empty());
    scheduler.advance(1);
    EXPECT_TRUE(fired.empty());
}
