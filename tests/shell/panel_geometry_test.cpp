#include "app/PanelGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nimbrel {
namespace {

const ScreenRect kVisible{0, 70, 1440, 806}; // menu bar above 876, Dock below 70

TEST(PanelGeometry, SizesByMode) {
    EXPECT_EQ(panelFrame(PanelMode::Menu, {700, 876, 20, 24}, kVisible, {}), (ScreenRect{530, 368, 360, 500}));
    EXPECT_EQ(panelFrame(PanelMode::Onboarding, {700, 876, 20, 24}, kVisible, {}), (ScreenRect{500, 368, 420, 500}));
}

TEST(PanelGeometry, ClampsAtEachEdgeWithEightPointMargin) {
    // Near the right edge: pulled left to keep 8 points.
    EXPECT_EQ(panelFrame(PanelMode::Menu, {1420, 876, 20, 24}, kVisible, {}).x, 1440 - 360 - 8);
    // Near the left edge.
    EXPECT_EQ(panelFrame(PanelMode::Menu, {2, 876, 20, 24}, kVisible, {}).x, 8);
    // A short screen: the bottom keeps 8 points above the visible frame's bottom.
    const ScreenRect shortScreen{0, 40, 800, 400};
    EXPECT_EQ(panelFrame(PanelMode::Menu, {400, 440, 20, 24}, shortScreen, {}).y, 48);
    // A button below the visible top: the top keeps 8 points under it.
    EXPECT_EQ(panelFrame(PanelMode::Menu, {400, 900, 20, 24}, ScreenRect{0, 0, 1000, 700}, {}).y, 700 - 500 - 8);
}

TEST(PanelGeometry, NoScreenMeansUnclamped) {
    EXPECT_EQ(panelFrame(PanelMode::Menu, {1420, 876, 20, 24}, std::nullopt, {}), (ScreenRect{1250, 368, 360, 500}));
}

TEST(PanelGeometry, ExistingPanelKeepsItsTopEdgeUnclamped) {
    const ScreenRect f = panelFrame(PanelMode::Onboarding, {700, 876, 20, 24}, kVisible, 600.0);
    EXPECT_EQ(f.maxY(), 600);
    EXPECT_EQ(f.y, 100);
    EXPECT_EQ(f.x, 500); // x is placed again
    EXPECT_EQ(panelFrame(PanelMode::Menu, {700, 876, 20, 24}, kVisible, 200.0).y, -300);
}

TEST(PanelGeometry, HeightNoticeKeepsTopEdgeAndIgnoresSmallOrBrokenChanges) {
    const ScreenRect current{530, 368, 360, 500};
    EXPECT_FALSE(panelFrameForHeight(current, 500.5));
    EXPECT_FALSE(panelFrameForHeight(current, 499.5));
    EXPECT_FALSE(panelFrameForHeight(current, std::nan("")));
    EXPECT_FALSE(panelFrameForHeight(current, -20));
    EXPECT_FALSE(panelFrameForHeight(current, 0));
    const auto grown = panelFrameForHeight(current, 600);
    ASSERT_TRUE(grown);
    EXPECT_EQ(*grown, (ScreenRect{530, 268, 360, 600}));
    EXPECT_EQ(grown->maxY(), current.maxY());
    EXPECT_EQ(panelFrameForHeight(current, 500.6)->maxY(), current.maxY());
}

} // namespace
} // namespace nimbrel
