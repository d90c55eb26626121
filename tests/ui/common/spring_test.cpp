#include "ui/common/Spring.h"

#include <gtest/gtest.h>

#include <QEasingCurve>

namespace nimbrel {
namespace {

TEST(Spring, SettlesAfterItsResponseAndOvershootsOnlyWhenUnderdamped) {
    const struct {
        SpringParameters spring;
        double minSeconds, maxSeconds;
        bool overshoots;
    } cases[] = {
        {{0.46, 0.88}, 0.4, 0.7, false}, // the editor's: a swing too small to show
        {{0.2, 1.0}, 0.15, 0.35, false}, {{0.5, 0.5}, 0.6, 1.5, true},
        {{0.3, 2.0}, 0.3, 2.0, false},   {{0.0, 1.0}, 0, 0, false}, // no response time: at once
    };
    for (const auto& c : cases) {
        const double settle = springSettlingSeconds(c.spring);
        EXPECT_GE(settle, c.minSeconds) << c.spring.response << "/" << c.spring.dampingFraction;
        EXPECT_LE(settle, c.maxSeconds) << c.spring.response << "/" << c.spring.dampingFraction;
        EXPECT_NEAR(springProgress(c.spring, settle + 0.01), 1.0, 0.001);
        EXPECT_EQ(springEasingType(c.spring), c.overshoots ? QEasingCurve::OutBack : QEasingCurve::OutQuint);
    }
    // A critically damped spring never passes its target.
    for (double t = 0; t < 1; t += 0.01)
        EXPECT_LE(springProgress({0.2, 1.0}, t), 1.0);
}

TEST(Spring, MotionRemembersTheSpringOfTheLastChange) {
    Motion motion;
    int changes = 0;
    QObject::connect(&motion, &Motion::changed, [&] { ++changes; });
    bool ran = false;
    motion.withSpringAnimation(0.46, 0.88, [&] {
        ran = true;
        EXPECT_TRUE(motion.animated()); // visible to what the action sets off
    });
    EXPECT_TRUE(ran);
    EXPECT_GT(motion.duration(), 300);
    motion.withoutAnimation({});
    EXPECT_FALSE(motion.animated());
    EXPECT_EQ(motion.duration(), 0);
    EXPECT_EQ(changes, 2);

    setSpringAnimationsEnabled(false);
    motion.withSpringAnimation(0.46, 0.88, {});
    EXPECT_EQ(motion.duration(), 0);
    setSpringAnimationsEnabled(true);
}

// A list's change moves with the action that made it: a delete's spring, a save's "at once"
// even when the editor then closes with a spring, and at once when no action made it.
TEST(Spring, AChangeFollowsTheActionRunningAsItHappens) {
    Motion screen;
    Motion list;
    screen.withSpringAnimation(0.2, 1.0, [&] { list.followAction(screen); });
    EXPECT_EQ(list.current(), (SpringParameters{0.2, 1.0}));
    screen.withoutAnimation([&] { list.followAction(screen); });
    screen.withSpringAnimation(0.46, 0.88, {});
    EXPECT_FALSE(list.current());
    list.followAction(screen); // a cloud merge, after the editor's spring
    EXPECT_FALSE(list.current());
}

} // namespace
} // namespace nimbrel
