#include "app/GlassStyle.h"
#include "app/HoverGeometry.h"
#include "app/ShellNames.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace nimbrel {
namespace {

TEST(GlassDecision, SettingAndSystemVersion) {
    InMemoryUserDefaults d;
    EXPECT_TRUE(isLiquidGlassActive(d, 26));
    EXPECT_FALSE(isLiquidGlassActive(d, 15));
    EXPECT_FALSE(isLiquidGlassActive(d, 14));
    d.setBool(shell::kLiquidGlassEnabled, false);
    EXPECT_FALSE(isLiquidGlassActive(d, 26));
    d.setString(shell::kLiquidGlassEnabled, "no"); // not a Boolean: not false
    EXPECT_TRUE(isLiquidGlassActive(d, 26));
    d.setInteger(shell::kLiquidGlassEnabled, 0);
    EXPECT_TRUE(isLiquidGlassActive(d, 27));
    EXPECT_FALSE(drawsPlatformGlass(true, 25));
    EXPECT_TRUE(drawsPlatformGlass(true, 26));
    EXPECT_FALSE(drawsPlatformGlass(false, 26));
}

TEST(GlassDecision, StyleFollowsDesignModeNotice) {
    NotificationCenter notifications;
    InMemoryUserDefaults d;
    int os = 26;
    GlassStyle style(notifications, d, [&] { return os; });
    EXPECT_TRUE(style.drawsGlass());
    EXPECT_DOUBLE_EQ(style.surfaceOutlineOpacity(), 0.16);
    QSignalSpy spy(&style, &GlassStyle::changed);

    d.setBool(shell::kLiquidGlassEnabled, false);
    EXPECT_TRUE(style.liquidGlassEnabled()); // only the notice refreshes it
    notifications.post(shell::kDesignModeDidChange);
    EXPECT_FALSE(style.liquidGlassEnabled());
    EXPECT_FALSE(style.drawsGlass());
    EXPECT_DOUBLE_EQ(style.surfaceOutlineOpacity(), 0.10);
    EXPECT_EQ(spy.count(), 1);

    d.remove(shell::kLiquidGlassEnabled);
    os = 15;
    notifications.post(shell::kDesignModeDidChange);
    EXPECT_FALSE(style.liquidGlassEnabled());
    EXPECT_EQ(spy.count(), 1);
}

TEST(HoverGeometryMath, LightCentreClampsIntoElement) {
    EXPECT_EQ(hoverLightCentre({5, 7}, {0, 0}), QPointF(1, 1));
    EXPECT_EQ(hoverLightCentre({-3, -9}, {0, 0}), QPointF(0, 0));
    EXPECT_EQ(hoverLightCentre({250, -4}, {200, 40}), QPointF(200, 0));
    EXPECT_EQ(hoverLightCentre({120, 20}, {200, 40}), QPointF(120, 20));
}

TEST(HoverGeometryMath, StrokeInsetAndRadiusCappedAtHalfTheShorterSide) {
    const HoverStroke s = hoverStroke({32, 32}, 1.1, 16);
    EXPECT_DOUBLE_EQ(s.rect.x(), 1.1);
    EXPECT_DOUBLE_EQ(s.rect.width(), 29.8);
    EXPECT_DOUBLE_EQ(s.radius, 14.9);
    EXPECT_DOUBLE_EQ(hoverStroke({300, 80}, 1.1, 18).radius, 18);
    EXPECT_DOUBLE_EQ(hoverStroke({0, 0}, 1.1, 18).radius, 0); // never negative
}

} // namespace
} // namespace nimbrel
