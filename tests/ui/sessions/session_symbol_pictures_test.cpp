#include "app/SymbolImageProvider.h"
#include "app/SymbolNames.h"
#include "ui/sessions/SessionSymbols.h"

#include <gtest/gtest.h>

#include <QImage>

namespace nimbrel {
namespace {

// Every name the symbol picker offers draws a picture of its own through the shell's icons,
// so none of them shows as the heart that stands in for unknown names.
TEST(SessionSymbolPictures, EveryOfferedNameDrawsItsOwnPicture) {
    const SessionSymbolLookup lookup{[](const QString& n) { return symbolIconFile(n).has_value(); },
                                     [](const QString& n) { return assetIconFile(n).has_value(); }};
    const QImage heart = renderSymbol(QStringLiteral("heart.fill"), QSize(32, 32));
    for (const QStringList* names : {&sessionQuickMenuBarSymbols(), &sessionMenuBarSymbolCatalogue()}) {
        for (const QString& name : *names) {
            const SessionSymbolPicture picture = sessionSymbolPicture(name, lookup);
            EXPECT_EQ(picture.name, name) << name.toStdString() << " has no picture";
            const QImage image =
                renderSymbol((picture.isAsset ? QStringLiteral("asset/") : QString()) + picture.name, QSize(32, 32));
            EXPECT_FALSE(image.isNull()) << name.toStdString();
            if (name != QStringLiteral("heart.fill")) {
                EXPECT_NE(image, heart) << name.toStdString();
            }
        }
    }
    EXPECT_EQ(sessionSymbolPicture(QStringLiteral("no.such.symbol"), lookup).name, QStringLiteral("heart.fill"));
}

} // namespace
} // namespace nimbrel
