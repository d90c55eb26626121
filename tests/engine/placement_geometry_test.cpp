#include "engine/PlacementGeometry.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

class FixedScreens final : public Screens {
  public:
    FixedScreens(std::vector<ScreenInfo> list, std::optional<ScreenInfo> main)
        : list_(std::move(list)), main_(std::move(main)) {}
    std::vector<ScreenInfo> screens() const override { return list_; }
    std::optional<ScreenInfo> mainScreen() const override { return main_; }

  private:
    std::vector<ScreenInfo> list_;
    std::optional<ScreenInfo> main_;
};

ScreenInfo screen(int id, Rect frame, Rect visible) {
    return {id, QStringLiteral("Screen %1").arg(id), frame, visible};
}

// A 1440x900 primary with a 25 pt menu bar, and a 1920x1080 screen to its right whose
// bottom sits 100 pt below the primary's.
const ScreenInfo kPrimary = screen(1, Rect(0, 0, 1440, 900), Rect(0, 70, 1440, 805));
const ScreenInfo kRight = screen(2, Rect(1440, -100, 1920, 1080), Rect(1440, -100, 1920, 1055));
const ScreenInfo kLeft = screen(3, Rect(-1280, 0, 1280, 1024), Rect(-1280, 0, 1280, 999));

NimbrelDisplayTarget external(std::optional<std::int64_t> index) {
    return {NimbrelDisplayTarget::Kind::external, index};
}

} // namespace

TEST(PlacementFrames, EachPlacementCoversItsPartOfTheVisibleFrame) {
    const Rect v(100, 50, 1000, 800);
    using P = NimbrelWindowPlacement;
    EXPECT_EQ(placement::frame(P::fullSize, v), Rect(100, 50, 1000, 800));
    EXPECT_EQ(placement::frame(P::leftHalf, v), Rect(100, 50, 500, 800));
    EXPECT_EQ(placement::frame(P::rightHalf, v), Rect(600, 50, 500, 800));
    EXPECT_EQ(placement::frame(P::topLeft, v), Rect(100, 450, 500, 400));
    EXPECT_EQ(placement::frame(P::topRight, v), Rect(600, 450, 500, 400));
    EXPECT_EQ(placement::frame(P::bottomLeft, v), Rect(100, 50, 500, 400));
    EXPECT_EQ(placement::frame(P::bottomRight, v), Rect(600, 50, 500, 400));
    EXPECT_FALSE(placement::frame(P::front, v));
    EXPECT_FALSE(placement::frame(P::fullScreen, v));
}

TEST(PlacementScreens, OneScreenServesEveryTarget) {
    const std::vector<ScreenInfo> one{kPrimary};
    for (const NimbrelDisplayTarget& t :
         {NimbrelDisplayTarget{}, NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::main, {}}, external(0), external(3)})
        EXPECT_EQ(placement::screenFor(t, one, kPrimary)->id, 1);
    EXPECT_TRUE(placement::displayTargets(one, kPrimary).empty());
}

TEST(PlacementScreens, ExternalIndexIsClampedIntoTheExternalScreens) {
    const std::vector<ScreenInfo> two{kPrimary, kRight};
    EXPECT_EQ(placement::screenFor(external(5), two, kPrimary)->id, 2);
    EXPECT_EQ(placement::screenFor(external(-1), two, kPrimary)->id, 2);
    EXPECT_EQ(placement::screenFor(external(std::nullopt), two, kPrimary)->id, 2);
    EXPECT_EQ(placement::screenFor({}, two, kPrimary)->id, 1);

    // The main screen is whichever has focus: main and automatic mean it, "external" then
    // means the primary.
    EXPECT_EQ(placement::screenFor({NimbrelDisplayTarget::Kind::main, std::nullopt}, two, kRight)->id, 2);
    EXPECT_EQ(placement::screenFor({}, two, kRight)->id, 2);
    EXPECT_EQ(placement::screenFor(external(0), two, kRight)->id, 1);
    const std::vector<ScreenInfo> three{kPrimary, kRight, kLeft};
    EXPECT_EQ(placement::screenFor(external(1), three, kPrimary)->id, 3);
}

TEST(PlacementScreens, WithoutScreensOrMainScreen) {
    EXPECT_FALSE(placement::screenFor({}, {}, std::nullopt));
    // No main screen: automatic takes the first screen, external ones count every screen.
    const std::vector<ScreenInfo> two{kPrimary, kRight};
    EXPECT_EQ(placement::screenFor({}, two, std::nullopt)->id, 1);
    EXPECT_EQ(placement::screenFor(external(1), two, std::nullopt)->id, 2);
}

TEST(PlacementScreens, EditorOffersMainThenEachExternalScreen) {
    const auto targets = placement::displayTargets({kPrimary, kRight, kLeft}, kPrimary);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0], (NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::main, std::nullopt}));
    EXPECT_EQ(targets[1], external(0));
    EXPECT_EQ(targets[2], external(1));
}

TEST(AccessibilityOrigin, CountsDownFromThePrimaryScreenWhateverScreenHoldsTheFrame) {
    // The main screen is the taller external one: the turn must still use the primary.
    FixedScreens screens({kPrimary, kRight}, kRight);
    EXPECT_EQ(placement::accessibilityOrigin(Rect(0, 70, 720, 805), screens), (Point{0, 25}));
    // Left half of the external screen's visible frame: top edge at 955 in AppKit y.
    const Rect onRight = *placement::frame(NimbrelWindowPlacement::leftHalf, kRight.visibleFrame);
    EXPECT_EQ(placement::accessibilityOrigin(onRight, screens), (Point{1440, 900 - 955}));
    // A screen to the left of the primary gets a negative x.
    FixedScreens withLeft({kPrimary, kLeft}, kPrimary);
    EXPECT_EQ(placement::accessibilityOrigin(Rect(-1280, 0, 640, 999), withLeft), (Point{-1280, 900 - 999}));
}

TEST(AccessibilityOrigin, WithoutAnyScreenTheFrameKeepsItsOrigin) {
    FixedScreens none({}, std::nullopt);
    EXPECT_EQ(placement::accessibilityOrigin(Rect(10, 20, 30, 40), none), (Point{10, 20}));
}

TEST(LayoutFrames, FourLayoutsOnTheVisibleFrame) {
    const Rect m(0, 70, 1440, 800);
    using L = NimbrelWindowLayout;
    EXPECT_EQ(placement::layoutFrames(L::fullSize, m), (std::vector<Rect>{m}));
    EXPECT_EQ(placement::layoutFrames(L::sideBySide, m),
              (std::vector<Rect>{Rect(0, 70, 720, 800), Rect(720, 70, 720, 800)}));
    const std::vector<Rect> quarters{Rect(0, 470, 720, 400), Rect(720, 470, 720, 400), Rect(0, 70, 720, 400),
                                     Rect(720, 70, 720, 400)};
    EXPECT_EQ(placement::layoutFrames(L::dividedInFour, m), quarters);
    EXPECT_EQ(placement::layoutFrames(L::dividedInThree, m), quarters);
}
