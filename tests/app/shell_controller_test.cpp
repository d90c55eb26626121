#include "app/ShellController.h"
#include "app/SymbolImageProvider.h"
#include "app/SymbolNames.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
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
    int argc = 1;
    char name[] = "t";
    char* argv[] = {name, nullptr};
    QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    int made = 0;
    ShellController shell(hooks(&made));
    shell.setPanelContent(PanelMode::Menu);
    QPointer<QObject> first = shell.panelContent();
    ASSERT_TRUE(first);
    EXPECT_EQ(shell.panelMode(), "menu");
    shell.setPanelContent(PanelMode::Onboarding);
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(first); // still alive while the views let go of it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first);

    shell.createPanel({0, 0, 420, 500});
    shell.orderPanelFront();
    shell.closePanel();
    EXPECT_FALSE(shell.isPanelVisible());
    EXPECT_TRUE(shell.panelExists());
    shell.orderPanelFront();
    EXPECT_TRUE(shell.isPanelVisible());
    delete app;
}

TEST(SymbolImages, SymbolsAreTintedAssetsKeepTheirColoursUnknownNamesAreEmpty) {
    const QImage red = renderSymbol("circle.fill?color=FF0000", QSize(32, 32));
    ASSERT_FALSE(red.isNull());
    const QColor centre = red.pixelColor(16, 16);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 40);
    EXPECT_EQ(centre.alpha(), 255);

    // Only a plain colour reaches the picture's source; anything else draws white.
    const QImage hostile = renderSymbol("circle.fill?color=%22/%3E%3Cscript%3E", QSize(32, 32));
    ASSERT_FALSE(hostile.isNull());
    EXPECT_EQ(hostile.pixelColor(16, 16), QColor(Qt::white));

    const QImage orange = renderSymbol("asset/NIMBREL_MENU_BAR_ORANGE", QSize(36, 36));
    ASSERT_FALSE(orange.isNull());
    bool hasOrange = false;
    for (int y = 0; y < orange.height(); ++y)
        for (int x = 0; x < orange.width(); ++x)
            if (QColor c = orange.pixelColor(x, y); c.alpha() > 200 && c.red() > 200 && c.blue() < 60) hasOrange = true;
    EXPECT_TRUE(hasOrange);

    EXPECT_TRUE(renderSymbol("no.such.symbol", QSize(16, 16)).isNull());
    EXPECT_TRUE(renderSymbol("asset/../../etc/passwd", QSize(16, 16)).isNull());
    EXPECT_TRUE(symbolIconFile("pause.circle.fill"));
    EXPECT_FALSE(assetIconFile("FocusLogo"));
}

} // namespace
} // namespace nimbrel
