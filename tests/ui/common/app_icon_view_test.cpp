#include "ui/QuickDriver.h"
#include "ui/common/AppIcons.h"

#include <QImage>
#include <QTemporaryDir>

namespace nimbrel {
namespace {

// An app's picture is drawn cut to its tile's rounded corners: the corner shows what lies
// behind, the edges and the middle show the picture.
TEST(AppIconView, ThePictureIsClippedToTheRoundedTile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Red App.png"));
    QImage red(128, 128, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(file));
    const QVariantMap icon = appTileIcon(QStringLiteral("Red App"), QUrl::fromLocalFile(file).toString());

    const struct {
        int size, radius;
    } cases[] = {{28, 6}, {36, 10}}; // the blacklist's rows, the app picker's
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        testing::QuickDriver driver(QStringLiteral("AppIconView.qml"),
                                    {{"icon", icon}, {"size", c.size}, {"cornerRadius", c.radius}}, QSize(60, 60));
        driver.window().setColor(Qt::white);
        const QImage shot = driver.window().grabWindow();
        const auto isRed = [&](int x, int y) {
            const QColor pixel = shot.pixelColor(x, y);
            return pixel.red() > 200 && pixel.green() < 60;
        };
        EXPECT_FALSE(isRed(0, 0));
        EXPECT_FALSE(isRed(c.size - 1, c.size - 1));
        EXPECT_FALSE(isRed(0, c.radius / 3)) << "along the curve, not only the corner pixel";
        EXPECT_FALSE(isRed(c.radius / 3, 0));
        EXPECT_TRUE(isRed(c.size / 2, c.size / 2));
        EXPECT_TRUE(isRed(c.size / 2, 0)) << "the picture fills the tile to its edges";
        EXPECT_TRUE(isRed(0, c.size / 2));
    }
}

} // namespace
} // namespace nimbrel
