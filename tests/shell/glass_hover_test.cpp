#include "app/GlassStyle.h"
#include "app/HoverGeometry.h"
#include "app/ShellNames.h"
#include "model/SettingsStore.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace nimbrel {
namespace {

class FixedSystem : public SystemInfo {
  public:
    int major = 26;
    OperatingSystemVersion operatingSystemVersion() const override { return {major, 0, 0}; }
    QString modelIdentifier() const override { return "Mac14,6"; }
    QString hostLocalizedName() const override { return "Mac"; }
    QString userName() const override { return "anna"; }
    QString userFullName() const override { return "Anna"; }
    unsigned userId() const override { return 501; }
};

class GlassDecisionTest : public ::testing::Test {
  protected:
    GlassDecisionTest() {
        platform.defaults = &defaults;
        platform.notifications = &notifications;
        platform.systemInfo = &system;
    }
    std::unique_ptr<GlassStyle> make() {
        return std::make_unique<GlassStyle>(
            notifications, [this] { return NimbrelSettingsStore::isLiquidGlassActive(platform); },
            [this] { return system.operatingSystemVersion().majorVersion; });
    }
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    FixedSystem system;
    Platform platform;
};

TEST_F(GlassDecisionTest, GlassOnlyFromMacOS26UnlessTheSettingIsFalse) {
    EXPECT_TRUE(make()->drawsGlass());
    system.major = 15;
    EXPECT_FALSE(make()->drawsGlass());
    system.major = 26;
    defaults.setString(shell::kLiquidGlassEnabled, "no"); // not a Boolean: not false
    EXPECT_TRUE(make()->drawsGlass());
    defaults.setBool(shell::kLiquidGlassEnabled, false);
    auto style = make();
    EXPECT_FALSE(style->drawsGlass());
    EXPECT_DOUBLE_EQ(style->surfaceOutlineOpacity(), 0.10);
    EXPECT_FALSE(drawsPlatformGlass(true, 25));
    EXPECT_TRUE(drawsPlatformGlass(true, 26));
}

TEST_F(GlassDecisionTest, StyleFollowsDesignModeNotice) {
    auto style = make();
    EXPECT_TRUE(style->drawsGlass());
    EXPECT_DOUBLE_EQ(style->surfaceOutlineOpacity(), 0.16);
    QSignalSpy spy(style.get(), &GlassStyle::changed);

    defaults.setBool(shell::kLiquidGlassEnabled, false);
    EXPECT_TRUE(style->liquidGlassEnabled()); // only the notice refreshes it
    notifications.post(shell::kDesignModeDidChange);
    EXPECT_FALSE(style->liquidGlassEnabled());
    EXPECT_FALSE(style->drawsGlass());
    EXPECT_DOUBLE_EQ(style->surfaceOutlineOpacity(), 0.10);
    EXPECT_EQ(spy.count(), 1);

    defaults.remove(shell::kLiquidGlassEnabled);
    system.major = 14;
    notifications.post(shell::kDesignModeDidChange);
    EXPECT_FALSE(style->liquidGlassEnabled());
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
