#include "app/ShellController.h"
#include "shell/ShellTestSupport.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>

namespace nimbrel {
namespace {

ShellController::Hooks hooks(int* made = nullptr) {
    ShellController::Hooks h;
    h.primaryScreenHeight = [] { return 900.0; };
    h.visibleFrame = [] { return std::optional(ScreenRect{0, 70, 1440, 806}); };
    h.makePanelContent = [made](PanelMode) {
        if (made) ++*made;
        return std::make_unique<QObject>();
    };
    return h;
}

TEST(ShellControllerTest, ButtonFrameIsFlippedIntoTheMacsCoordinates) {
    ShellController shell(hooks());
    EXPECT_FALSE(shell.statusButtonFrame()); // no item yet
    shell.installStatusItem();
    EXPECT_FALSE(shell.statusButtonFrame()); // not laid out yet
    shell.setStatusButtonGeometry(1200, 4, 34, 20);
    EXPECT_EQ(shell.statusButtonFrame(), (ScreenRect{1200, 876, 34, 20}));
    shell.removeStatusItem();
    EXPECT_FALSE(shell.statusButtonFrame());
}

TEST(ShellControllerTest, PanelTopIsMeasuredFromTheTopOfThePrimaryScreen) {
    ShellController shell(hooks());
    shell.createPanel({530, 368, 360, 500});
    EXPECT_EQ(shell.panelTop(), 900 - 868);
    EXPECT_EQ(shell.panelLeft(), 530);
    shell.animatePanelFrame({530, 268, 360, 600}, 0.28);
    EXPECT_EQ(shell.frameAnimationMs(), 280);
    EXPECT_EQ(shell.panelTop(), 900 - 868); // the top edge stayed
    shell.setPanelFrame({10, 10, 360, 500});
    EXPECT_EQ(shell.frameAnimationMs(), 0);
}

TEST(ShellControllerTest, PopoversMayUseTheVisibleFrameAroundThePanelElseOnlyThePanel) {
    ShellController shell(hooks());
    shell.createPanel({530, 368, 360, 500});
    // Visible frame 0..1440 x 70..876 (Mac), the panel's top-left at (530, 32) from the top.
    EXPECT_EQ(shell.popoverArea(), QRectF(-530, 24 - 32, 1440, 806));
    ShellController::Hooks bare = hooks();
    bare.visibleFrame = [] { return std::optional<ScreenRect>(); };
    ShellController noScreen(std::move(bare));
    noScreen.createPanel({530, 368, 360, 500});
    EXPECT_EQ(noScreen.popoverArea(), QRectF(0, 0, 360, 500));
}

TEST(ShellControllerTest, ContentIsReplacedOnlyAfterItsViewsAreToldAndClosingKeepsThePanel) {
    int made = 0;
    ShellController shell(hooks(&made));
    shell.setPanelContent(PanelMode::Menu);
    QPointer<QObject> first = shell.panelContent();
    ASSERT_TRUE(first);
    EXPECT_EQ(shell.panelMode(), "menu");
    shell.setPanelContent(PanelMode::Onboarding);
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(first); // still alive while the views let go of it
    testing::deleteReleasedObjects();
    EXPECT_FALSE(first);

    shell.createPanel({0, 0, 420, 500});
    shell.orderPanelFront();
    shell.closePanel();
    EXPECT_FALSE(shell.isPanelVisible());
    EXPECT_TRUE(shell.panelExists());
    shell.orderPanelFront();
    EXPECT_TRUE(shell.isPanelVisible());
}

} // namespace
} // namespace nimbrel
