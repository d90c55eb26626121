#include "desktop/DesktopViewModel.h"
#include "desktop/DesktopViewport.h"
#include "platform/Screens.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace nimbrel {
namespace {

struct Fit {
    const char* name;
    Rect desktop;
    double viewWidth, viewHeight;
    double scale;
    Point offset;
};

// Every screen fits the view, scaled down but never up, centred; view and desktop points map
// both ways.
TEST(DesktopViewport, FitsEveryScreenCentredAndMapsBothWays) {
    const Fit fits[] = {
        // The default Mac: a 1728 x 1117 primary and a 1920 x 1080 display on its right.
        {"two side by side", Rect(0, 0, 3648, 1117), 1824, 700, 0.5, {0, 70.75}},
        {"limited by height", Rect(0, 0, 3648, 1117), 3648, 558.5, 0.5, {912, 0}},
        // A display left of and above the primary: negative desktop points.
        {"left and above", Rect(-1920, -400, 3648, 1517), 1824, 758.5, 0.5, {0, 0}},
        {"room to spare: actual size", Rect(0, 0, 1728, 1117), 2000, 1200, 1, {136, 41.5}},
        {"no view yet", Rect(0, 0, 3648, 1117), 0, 0, 1, {0, 0}},
    };
    for (const Fit& f : fits) {
        SCOPED_TRACE(f.name);
        const DesktopViewport v(f.desktop, f.viewWidth, f.viewHeight);
        EXPECT_EQ(v.scale(), f.scale);
        EXPECT_EQ(v.offset(), f.offset);
        EXPECT_EQ(v.toView({f.desktop.minX(), f.desktop.minY()}), f.offset);
        for (const Point p : {Point{0, 0}, Point{f.desktop.maxX() - 1, f.desktop.maxY() - 1}, Point{-10, 37}}) {
            const Point back = v.toDesktop(v.toView(p));
            EXPECT_DOUBLE_EQ(back.x, p.x);
            EXPECT_DOUBLE_EQ(back.y, p.y);
        }
    }
}

// The desktop window of the default Mac: the external display's windows lie inside the view,
// and a press on a Dock tile, given in view points, lands on that tile on the Mac.
TEST(DesktopViewport, ViewPointsReachTheMacOnEveryScreen) {
    VirtualScheduler scheduler{Date::fromUnix(1'800'000'000)};
    QTemporaryDir disk;
    sim::SimulatedPlatform simulated{scheduler, scheduler, disk.path()};
    sim::SimulatedMac& mac = simulated.mac();
    ASSERT_EQ(mac.screens().size(), 2u);
    // A window on the external display.
    const Rect external = Screens::flipRect(mac.screens()[1].frame, mac.primaryHeight());
    sim::App* app = mac.app(mac.frontmostPid());
    ASSERT_TRUE(app && !app->windows.empty());
    app->windows.front().frame = Rect(external.minX() + 200, external.minY() + 100, 800, 600);
    DesktopViewModel desktop{mac, scheduler};
    desktop.setViewSize(1824, 700);
    EXPECT_EQ(desktop.viewScale(), 0.5);

    bool seen = false;
    for (const QVariant& w : desktop.windows()) {
        const QVariantMap m = w.toMap();
        if (m.value("x").toDouble() < external.minX()) continue;
        seen = true;
        const Point topLeft = desktop.viewport().toView({m.value("x").toDouble(), m.value("y").toDouble()});
        EXPECT_GE(topLeft.x, 1728 * 0.5);
        EXPECT_LE(topLeft.x + m.value("width").toDouble() * 0.5, 1824);
        EXPECT_GE(topLeft.y, 0);
    }
    EXPECT_TRUE(seen) << "a window on the external display is drawn";

    const QVariantMap tile = desktop.dockTiles().first().toMap();
    const Point centre{tile.value("x").toDouble() + tile.value("width").toDouble() / 2,
                       tile.value("y").toDouble() + tile.value("height").toDouble() / 2};
    const Point inView = desktop.viewport().toView(centre);
    desktop.pressedInView(inView.x, inView.y);
    desktop.releasedInView(inView.x, inView.y);
    EXPECT_EQ(mac.pointer(), mac.toAppKit(centre));
}

} // namespace
} // namespace nimbrel
