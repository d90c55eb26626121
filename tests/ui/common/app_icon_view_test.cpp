#include "ui/QuickDriver.h"
#include "ui/common/AppIconPictures.h"
#include "ui/common/AppIcons.h"
#include "ui/common/PictureFormat.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace nimbrel {
namespace {

// The picture provider's name for a file, its corners cut at a fifth of its side.
QString pictureId(const QString& file) {
    return QStringLiteral("0.2/") + QString::fromUtf8(QUrl::toPercentEncoding(QUrl::fromLocalFile(file).toString()));
}

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

    // A file that turns out to be no picture at all shows the app's initials on its colour,
    // never an empty tile.
    const QString broken = dir.filePath(QStringLiteral("AppIcon.icns"));
    QFile text(broken);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not a picture\n") > 0);
    text.close();
    testing::QuickDriver driver(
        QStringLiteral("AppIconView.qml"),
        {{"icon", appTileIcon(QStringLiteral("Red App"), QUrl::fromLocalFile(broken).toString())}, {"size", 36}},
        QSize(60, 60));
    driver.window().setColor(Qt::white);
    const QColor tint = appTint(QStringLiteral("Red App"));
    const QColor shown = driver.window().grabWindow().pixelColor(18, 34);
    EXPECT_LT(std::abs(shown.red() - tint.red()) + std::abs(shown.green() - tint.green()) +
                  std::abs(shown.blue() - tint.blue()),
              40)
        << shown.name().toStdString() << " where the tile's colour " << tint.name().toStdString() << " belongs";
    const QStringList warnings = driver.takeWarnings();
    EXPECT_FALSE(warnings.isEmpty());
    for (const QString& warning : warnings)
        EXPECT_TRUE(warning.contains("Failed to get image from provider")) << warning.toStdString();
}

// Only a file of an icon's size is read: a picture with 17 MB after it, a device or a folder
// gives no picture (the tile then shows the app's initials), never a read without end.
TEST(AppIconView, OnlyAFileOfAnIconsSizeIsRead) {
    QTemporaryDir dir;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const QString small = dir.filePath(QStringLiteral("small.png"));
    const QString padded = dir.filePath(QStringLiteral("padded.png"));
    ASSERT_TRUE(red.save(small) && red.save(padded));
    QFile grow(padded);
    ASSERT_TRUE(grow.open(QIODevice::Append) && grow.write(QByteArray(17 * 1024 * 1024, 'x')) > 0);
    grow.close();
    const QString endless = dir.filePath(QStringLiteral("endless.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), endless));

    const struct {
        QString file;
        bool read;
    } cases[] = {{small, true}, {padded, false}, {endless, false}, {dir.path(), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        EXPECT_EQ(!roundedAppIconPicture(pictureId(c.file), nullptr, QSize(16, 16)).isNull(), c.read);
    }
}

// An app's icon file is named ".icns" whatever it holds: it is read as what its bytes are.
TEST(AppIconView, APictureIsReadAsWhatItHolds) {
    const auto encoded = [](const char* format) {
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        red.save(&bytes, format);
        return bytes.data();
    };
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
                           "<rect width=\"16\" height=\"16\" fill=\"red\"/></svg>\n";
    const struct {
        QByteArray bytes;
        const char* format;
        bool read;
    } cases[] = {
        {encoded("PNG"), "png", true},
        {encoded("JPEG"), "jpeg", true},
        {encoded("BMP"), "bmp", true},
        {encoded("ICO"), "ico", true},
        {svg, "svg", true},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- drawn by hand -->\n" + svg, "svg", true},
        {encoded("PPM"), "", true}, // no format named here: the reader makes it out
        {"GIF89a\x10\x00\x10\x00", "gif", false},
        {"icns\x00\x00\x10\x00", "icns", false},
        {"<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>", "", false},
        {"not a picture", "", false},
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("AppIcon.icns"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(pictureFormat(c.bytes.left(kPictureHeadBytes)), QByteArray(c.format));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(c.bytes) == c.bytes.size());
        out.close();
        EXPECT_EQ(!roundedAppIconPicture(pictureId(file), nullptr, QSize(16, 16)).isNull(), c.read);
    }
}

} // namespace
} // namespace nimbrel
