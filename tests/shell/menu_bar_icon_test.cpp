#include "app/GlobalPause.h"
#include "app/MenuBarIcon.h"
#include "app/ShellNames.h"
#include "app/SymbolNames.h"
#include "app/SystemSymbols.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QSet>

namespace nimbrel {
namespace {

using Kind = MenuBarIconImage::Kind;

MenuBarIconCatalog catalog(QSet<QString> symbols, QSet<QString> assets) {
    return {[symbols](const QString& n) { return symbols.contains(n); },
            [assets](const QString& n) { return assets.contains(n); }};
}

const MenuBarIconCatalog kFull = catalog({"moon.fill", "heart.fill", "pause.circle.fill"},
                                         {"NIMBREL_MENU_BAR", "NIMBREL_MENU_BAR_ORANGE", "FocusLogo"});

TEST(MenuBarIconChoice, PausedShowsOrangeAssetThenDefaultThenPauseSymbol) {
    EXPECT_EQ(menuBarIconImage("moon.fill", true, kFull),
              (MenuBarIconImage{Kind::Asset, "NIMBREL_MENU_BAR_ORANGE", false, 18}));
    EXPECT_EQ(menuBarIconImage("moon.fill", true, catalog({"moon.fill"}, {"NIMBREL_MENU_BAR"})).name,
              "NIMBREL_MENU_BAR");
    EXPECT_EQ(menuBarIconImage("moon.fill", true, catalog({"moon.fill"}, {})),
              (MenuBarIconImage{Kind::Symbol, "pause.circle.fill", true, 18}));
}

TEST(MenuBarIconChoice, DefaultNameAndBlankNamesShowTheDefaultAsset) {
    for (const QString& name : {QString("NIMBREL_MENU_BAR"), QString(), QString("  \n\t ")}) {
        EXPECT_EQ(menuBarIconImage(name, false, kFull), (MenuBarIconImage{Kind::Asset, "NIMBREL_MENU_BAR", false, 18}))
            << name.toStdString();
    }
    EXPECT_EQ(normalizedMenuBarIconName("  moon.fill\n"), "moon.fill");
}

TEST(MenuBarIconChoice, SessionSymbolIsATemplateThenAssetThenDefault) {
    EXPECT_EQ(menuBarIconImage(" moon.fill ", false, kFull), (MenuBarIconImage{Kind::Symbol, "moon.fill", true, 18}));
    EXPECT_EQ(menuBarIconImage("FocusLogo", false, kFull), (MenuBarIconImage{Kind::Asset, "FocusLogo", false, 18}));
    EXPECT_EQ(menuBarIconImage("no.such.symbol", false, kFull).name, "NIMBREL_MENU_BAR");
}

TEST(MenuBarIconChoice, MissingDefaultAssetFallsBackToHeart) {
    const auto noAssets = catalog({"heart.fill"}, {});
    const MenuBarIconImage heart{Kind::Symbol, "heart.fill", true, 18};
    EXPECT_EQ(menuBarIconImage("", false, noAssets), heart);
    EXPECT_EQ(menuBarIconImage("no.such.symbol", false, noAssets), heart);
    EXPECT_EQ(menuBarIconImage("moon.fill", false, catalog({"moon.fill"}, {})).name, "moon.fill");
}

TEST(MenuBarIconChoice, TheSystemsSymbolsShowWhetherOrNotTheyHaveAPictureOfTheirOwn) {
    const MenuBarIconCatalog system{isSystemSymbol, [](const QString& n) { return assetIconFile(n).has_value(); }};
    const struct {
        const char* name;
        const char* shown;
        Kind kind;
    } cases[] = {
        {"brain.head.profile", "brain.head.profile", Kind::Symbol},
        {"apple.logo", "apple.logo", Kind::Symbol},
        {"book.fill", "book.fill", Kind::Symbol},
        {"nosign", "nosign", Kind::Symbol},
        {"no.such.symbol", "NIMBREL_MENU_BAR", Kind::Asset},
        {"Brain.Head.Profile", "NIMBREL_MENU_BAR", Kind::Asset},
        {"brain.head.profile apple.logo", "NIMBREL_MENU_BAR", Kind::Asset},
    };
    for (const auto& c : cases) {
        const MenuBarIconImage image = menuBarIconImage(c.name, false, system);
        EXPECT_EQ(image.name, c.shown) << c.name;
        EXPECT_EQ(image.kind, c.kind) << c.name;
    }
}

TEST(MenuBarIconPause, IndefiniteOrFutureTimestampPauses) {
    InMemoryUserDefaults d;
    EXPECT_FALSE(isMenuBarIconPaused(d, 1000));
    d.setDouble(pausekeys::kPauseUntilTimestamp, 1000.5);
    EXPECT_TRUE(isMenuBarIconPaused(d, 1000));
    EXPECT_FALSE(isMenuBarIconPaused(d, 1000.5)); // the moment it ends it is over
    d.setBool(pausekeys::kIsPausedIndefinitely, true);
    EXPECT_TRUE(isMenuBarIconPaused(d, 5000));
    d.setBool(pausekeys::kIsPausedIndefinitely, false);
    d.setString(pausekeys::kPauseUntilTimestamp, "later"); // wrong type reads as absent
    EXPECT_FALSE(isMenuBarIconPaused(d, 0));
}

} // namespace
} // namespace nimbrel
