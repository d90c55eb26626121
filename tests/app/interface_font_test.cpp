#include "app/InterfaceFont.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

namespace nimbrel {
namespace {

// Each weight the screens ask for is drawn with Inter's own face of that weight, not a
// neighbouring face made bolder or lighter.
TEST(InterfaceFont, EachWeightHasInterFaceOfItsOwn) {
    if (!QFontDatabase::hasFamily(QStringLiteral("Inter"))) GTEST_SKIP() << "fonts-inter is not installed";
    const std::pair<QFont::Weight, const char*> faces[] = {{QFont::Normal, "Regular"},
                                                           {QFont::Medium, "Medium"},
                                                           {QFont::DemiBold, "Semi Bold"},
                                                           {QFont::Bold, "Bold"},
                                                           {QFont::ExtraBold, "Extra Bold"}};
    for (const auto& [weight, style] : faces) {
        QFont font = interfaceFont();
        font.setPixelSize(13);
        font.setWeight(weight);
        const QFontInfo drawn(font);
        EXPECT_EQ(drawn.family(), "Inter") << style;
        EXPECT_EQ(drawn.styleName(), style);
    }
}

// Text that names no family (every Text of the screens) is drawn in it.
TEST(InterfaceFont, IsTheApplicationsFontOnceInUse) {
    useInterfaceFont();
    EXPECT_EQ(QGuiApplication::font().families().value(0), "Inter");
    if (QFontDatabase::hasFamily(QStringLiteral("Inter"))) {
        EXPECT_EQ(QFontInfo(QFont()).family(), "Inter");
    }
}

} // namespace
} // namespace nimbrel
