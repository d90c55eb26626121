#include "ui/sessions/SessionSymbols.h"
#include "ui/sessions/SessionWallpapers.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

SessionEditorState editorWithSymbol(const QString& symbol) {
    NimbrelSession session;
    session.menuBarSymbolName = symbol;
    return SessionEditorState::make(session, session.name, {});
}

TEST(SessionSymbols, CataloguesHoldTheirNamesOnce) {
    EXPECT_EQ(sessionMenuBarSymbolCatalogue().size(), 122);
    QStringList unique = sessionMenuBarSymbolCatalogue();
    EXPECT_EQ(unique.removeDuplicates(), 0);
    EXPECT_EQ(sessionQuickMenuBarSymbols().size(), 10);
    for (const QString& name : sessionQuickMenuBarSymbols().mid(1))
        EXPECT_TRUE(sessionMenuBarSymbolCatalogue().contains(name)) << name.toStdString();
}

TEST(SessionSymbols, SearchMatchesSubstringsDottedNamesAndWords) {
    const struct {
        const char* query;
        QStringList names;
    } cases[] = {{"MOON", {"moon.fill", "moon"}},
                 {"moon fill", {"moon.fill"}},
                 {"fill moon", {"moon.fill"}},
                 {"sun.max", {"sun.max.fill", "sun.max"}},
                 {"and saucer", {"cup.and.saucer.fill"}},
                 {"zzz", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(filteredSessionSymbols(QString::fromUtf8(c.query)), c.names) << c.query;
    EXPECT_EQ(filteredSessionSymbols("   ").size(), 122);
}

TEST(SessionSymbols, QuickSetSelectsAndReturnsToTheOwnIcon) {
    SessionEditorState state = editorWithSymbol(" \n ");
    EXPECT_TRUE(isQuickSymbolSelected(state, "NIMBREL_MENU_BAR"));
    selectQuickSymbol(state, "NIMBREL_MENU_BAR");
    EXPECT_EQ(state.menuBarSymbolName, "NIMBREL_MENU_BAR");
    state.menuBarSymbolName = " moon.fill ";
    EXPECT_TRUE(isQuickSymbolSelected(state, "moon.fill"));
    selectQuickSymbol(state, "moon.fill");
    EXPECT_EQ(state.menuBarSymbolName, "NIMBREL_MENU_BAR");
    selectQuickSymbol(state, "timer");
    EXPECT_EQ(state.effectiveMenuBarSymbolName(), "timer");
}

TEST(SessionSymbols, LibraryMarksTheCurrentSymbolAndClearsTheSearch) {
    const std::pair<const char*, std::optional<QString>> cases[] = {{"NIMBREL_MENU_BAR", std::nullopt},
                                                                    {"sparkles", QString("sparkles")},
                                                                    {"from.another.mac", QString("from.another.mac")}};
    for (const auto& [symbol, pending] : cases) {
        SessionEditorState state = editorWithSymbol(symbol);
        state.symbolSearchText = "old search";
        prepareSymbolLibrary(state);
        EXPECT_EQ(state.pendingSymbolName, pending) << symbol;
        EXPECT_TRUE(state.symbolSearchText.isEmpty());
    }
    SessionEditorState state = editorWithSymbol("sparkles");
    prepareSymbolLibrary(state);
    togglePendingSymbol(state, "sparkles");
    EXPECT_FALSE(state.pendingSymbolName);
    togglePendingSymbol(state, "timer");
    EXPECT_EQ(state.pendingSymbolName, QString("timer"));
}

TEST(SessionSymbols, PicturesFallBackToTheAssetThenTheHeart) {
    const SessionSymbolLookup lookup{[](const QString& n) { return n == "moon.fill" || n == "heart.fill"; },
                                     [](const QString& n) { return n == "NIMBREL_MENU_BAR"; }};
    EXPECT_EQ(sessionSymbolPicture("moon.fill", lookup), (SessionSymbolPicture{false, "moon.fill"}));
    EXPECT_EQ(sessionSymbolPicture("NIMBREL_MENU_BAR", lookup), (SessionSymbolPicture{true, "NIMBREL_MENU_BAR"}));
    EXPECT_EQ(sessionSymbolPicture("no.such.symbol", lookup), (SessionSymbolPicture{false, "heart.fill"}));
    EXPECT_EQ(sessionSymbolTooltip("NIMBREL_MENU_BAR"), "Default Nimbrel icon");
    EXPECT_EQ(sessionSymbolTooltip("no.such.symbol"), "no.such.symbol");
}

TEST(SessionWallpapers, RowsFollowTheSwitchAndChoicesReplaceTheirTarget) {
    SessionEditorState state = editorWithSymbol("timer");
    auto rows = sessionWallpaperRows(state, 2);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "All Displays");
    EXPECT_EQ(rows[0].subtitle, "No wallpaper selected");
    EXPECT_EQ(rows[0].buttonTitle, "Import");
    storeChosenWallpaper(state, NimbrelSessionDisplayTarget::screen(1), "/Pictures/Sea.jpg");
    EXPECT_EQ(state.wallpaperSelections.back().displayTarget, NimbrelSessionDisplayTarget::automatic());
    EXPECT_EQ(sessionWallpaperRows(state, 2)[0].subtitle, "Sea.jpg");
    EXPECT_EQ(sessionWallpaperRows(state, 2)[0].buttonTitle, "Change");

    state.syncWallpapersAcrossDisplays = false;
    EXPECT_TRUE(sessionWallpaperRows(state, 0).empty());
    storeChosenWallpaper(state, NimbrelSessionDisplayTarget::screen(1), "/Pictures/A.png");
    storeChosenWallpaper(state, NimbrelSessionDisplayTarget::screen(1), "/Pictures/B.png");
    rows = sessionWallpaperRows(state, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].title, "Display 2");
    EXPECT_EQ(rows[1].subtitle, "B.png");
    EXPECT_EQ(rows[0].subtitle, "No wallpaper selected");
    ASSERT_EQ(state.wallpaperSelections.size(), 2u) << "one for all displays, one for display 2";
    EXPECT_EQ(state.wallpaperSelections.back().path, "/Pictures/B.png");
    state.syncWallpapersAcrossDisplays = true;
    EXPECT_EQ(sessionWallpaperRows(state, 2)[0].subtitle, "Sea.jpg") << "switching back loses nothing";
}

} // namespace
} // namespace nimbrel
