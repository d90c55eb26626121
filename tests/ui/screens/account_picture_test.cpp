#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/screens/AccountPicture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

namespace nimbrel {
namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(AccountPicture, JpegPhotoHexIsJoinedAndReadTwoDigitsAByte) {
    const struct {
        const char* text;
        std::optional<QByteArray> bytes;
    } cases[] = {
        {"JPEGPhoto:\n ffd8ffe0 0010\n 4a46\n", QByteArray::fromHex("ffd8ffe000104a46")},
        {"FFd8", QByteArray::fromHex("ffd8")},
        {"+f-0", QByteArray::fromHex("0f00")}, // a sign and one digit, as the integer parser reads it
        {"-1ff", std::nullopt},
        {"ffd", std::nullopt},
        {"ffzz", std::nullopt},
        {"JPEGPhoto:\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpegPhotoBytes(QString::fromLatin1(c.text)), c.bytes) << c.text;
}

// A 512 x 256 picture is kept as a 256 x 256 PNG, squeezed to half its width.
TEST(AccountPicture, ChosenPictureIsStretchedToA256PixelPng) {
    QImage wide(512, 256, QImage::Format_RGB32);
    wide.fill(Qt::red);
    for (int y = 0; y < 256; ++y)
        for (int x = 256; x < 512; ++x)
            wide.setPixel(x, y, qRgb(0, 0, 255));
    const std::optional<QByteArray> png = accountImageData(wide);
    ASSERT_TRUE(png);
    EXPECT_TRUE(png->startsWith("\x89PNG"));
    const QImage stored = QImage::fromData(*png);
    ASSERT_EQ(stored.size(), QSize(256, 256));
    EXPECT_EQ(QColor(stored.pixel(64, 128)), QColor(Qt::red));
    EXPECT_EQ(QColor(stored.pixel(192, 128)), QColor(Qt::blue));
    EXPECT_FALSE(accountImageData(QImage()));
}

// A picture from the cloud is kept as at most the 256-pixel PNG a chosen one becomes.
TEST(AccountPicture, ACloudPictureIsKeptSmallOrRefused) {
    const QByteArray small = encoded(filled(40, 30, Qt::green), "PNG");
    const struct {
        const char* name;
        QByteArray bytes;
        std::optional<QSize> kept; // none: refused
        bool unchanged;
    } cases[] = {
        {"a small PNG", small, QSize(40, 30), true},
        {"a large PNG", encoded(filled(1200, 900, Qt::red), "PNG"), QSize(256, 256), false},
        {"a JPEG", encoded(filled(100, 100, Qt::blue), "JPEG"), QSize(256, 256), false},
        {"a PNG cut short", small.left(small.size() / 2), std::nullopt, false},
        {"no image", QByteArray("<html>not a picture</html>"), std::nullopt, false},
    };
    for (const auto& c : cases) {
        const std::optional<QByteArray> kept = keptAccountPicture(c.bytes);
        ASSERT_EQ(kept.has_value(), c.kept.has_value()) << c.name;
        if (!kept) continue;
        EXPECT_TRUE(kept->startsWith("\x89PNG")) << c.name;
        EXPECT_EQ(QImage::fromData(*kept).size(), *c.kept) << c.name;
        EXPECT_EQ(*kept == c.bytes, c.unchanged) << c.name;
    }
}

class AccountPictureLookupTest : public ::testing::Test {
  protected:
    void writeOnDisk(const QString& macPath, const QByteArray& bytes) {
        const QString real = mac.realPath(macPath);
        QDir().mkpath(QFileInfo(real).path());
        QFile file(real);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    int processRuns() const {
        return int(std::count_if(mac.recorder().events().begin(), mac.recorder().events().end(),
                                 [](const sim::Event& e) { return e.kind == sim::EventKind::process; }));
    }
    std::optional<QImage> lookUp(const QString& name) {
        return AccountPictureLookup(simulated.processes(), simulated.files()).systemAccountPicture(name);
    }

    VirtualScheduler scheduler;
    QTemporaryDir dir;
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.path()};
    sim::SimulatedMac& mac = simulated.mac();
};

TEST_F(AccountPictureLookupTest, PictureFileFirstThenJpegPhotoElseNone) {
    mac.identity().jpegPhoto = encoded(filled(8, 8, Qt::green), "JPEG");
    // The "Picture" path names no file: the JPEG photo is read.
    std::optional<QImage> picture = lookUp("anna");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), QSize(8, 8));
    EXPECT_EQ(processRuns(), 2);

    mac.identity().picturePath = "/Library/User Pictures/Flowers/Lotus.png";
    writeOnDisk(mac.identity().picturePath, encoded(filled(12, 12, Qt::blue), "PNG"));
    picture = lookUp("anna");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), QSize(12, 12));

    // A file that is no image, and no photo: nothing.
    writeOnDisk(mac.identity().picturePath, "not an image");
    mac.identity().jpegPhoto.clear();
    EXPECT_FALSE(lookUp("anna"));
    EXPECT_FALSE(lookUp("someone")) << "a record that does not exist";
}

TEST_F(AccountPictureLookupTest, BlankLoginNameRunsNoCommandAndAMissingCommandGivesNothing) {
    EXPECT_FALSE(lookUp("  \n"));
    EXPECT_EQ(processRuns(), 0);
    simulated.processes().failLaunch("/usr/bin/dscl", "The file \u201cdscl\u201d doesn\u2019t exist.");
    mac.identity().jpegPhoto = encoded(filled(8, 8, Qt::green), "JPEG");
    EXPECT_FALSE(lookUp("anna"));
}

TEST(AccountPicture, ThumbnailFillsACircle) {
    const QImage thumb = circularThumbnail(filled(40, 20, Qt::red), 92);
    ASSERT_EQ(thumb.size(), QSize(92, 92));
    EXPECT_EQ(qAlpha(thumb.pixel(1, 1)), 0) << "outside the circle";
    EXPECT_EQ(QColor(thumb.pixel(46, 46)), QColor(Qt::red));
    EXPECT_EQ(QColor(thumb.pixel(46, 3)), QColor(Qt::red)) << "the short side fills the height";
}

} // namespace
} // namespace nimbrel
