#include "app/SymbolImageProvider.h"
#include "app/SymbolNames.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>

namespace nimbrel {
namespace {

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
    const struct { const char* colour; QColor drawn; } colours[] = {
        {"%2300ff00", QColor(0, 255, 0)}, {"00FF00", QColor(0, 255, 0)}, {"00FF0", Qt::white},
        {"00FF00F", Qt::white},           {"00FG00", Qt::white},         {"%D9%A1%D9%A2%D9%A3%D9%A4%D9%A5%D9%A6", Qt::white}};
    for (const auto& c : colours)
        EXPECT_EQ(renderSymbol(QStringLiteral("circle.fill?color=") + c.colour, QSize(32, 32)).pixelColor(16, 16), c.drawn)
            << c.colour;

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

TEST(SymbolImages, ANameWithoutAPictureIsDrawnWithAStandInOfTheSameTint) {
    for (const QString& id : {QStringLiteral("no.such.symbol?color=FF0000"), QStringLiteral("asset/FocusLogo")}) {
        ASSERT_TRUE(renderSymbol(id, QSize(32, 32)).isNull());
        const QImage image = renderSymbolOrStandIn(id, QSize(32, 32));
        ASSERT_FALSE(image.isNull()) << id.toStdString();
        bool red = false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor c = image.pixelColor(x, y); c.alpha() > 200 && c.red() > 200 && c.green() < 40) red = true;
        EXPECT_EQ(red, id.contains("color=FF0000")) << id.toStdString();
    }
}

TEST(SymbolImages, EachAssetsColourIsTheOneItsPictureIsDrawnIn) {
    for (const QString& asset : {QStringLiteral("NIMBREL_MENU_BAR"), QStringLiteral("NIMBREL_MENU_BAR_ORANGE")}) {
        const std::optional<QString> file = assetIconFile(asset);
        const std::optional<QString> color = assetIconColor(asset);
        ASSERT_TRUE(file && color) << asset.toStdString();
        QFile svg(*file);
        ASSERT_TRUE(svg.open(QIODevice::ReadOnly)) << file->toStdString();
        EXPECT_TRUE(svg.readAll().contains(("fill=\"" + *color + "\"").toUtf8())) << asset.toStdString();
    }
    EXPECT_FALSE(assetIconColor(QStringLiteral("pause.circle.fill")));
}

} // namespace
} // namespace nimbrel
