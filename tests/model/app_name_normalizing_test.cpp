#include "model/AppCapabilities.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(AppNameNormalizing, FoldsTrimsAndKeepsLettersAndDigits) {
    EXPECT_EQ(normalizedAppName(QStringLiteral("  Visual Studio Code.app ")), QStringLiteral("visualstudiocode"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("Café")), QStringLiteral("cafe"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("Photos 2")), QStringLiteral("photos2"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("ÉCOLE\tNUMÉRIQUE\n")), QStringLiteral("ecolenumerique"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("Zoom.us")), QStringLiteral("zoomus"));
    EXPECT_EQ(normalizedAppName(QString()), QString());
    EXPECT_EQ(normalizedAppName(QStringLiteral("!!! ---")), QString());
}

TEST(AppNameNormalizing, RemovesEveryDotAppAlsoWhenUpperCase) {
    // Lower-casing comes first, so ".APP" goes as well; every occurrence is removed.
    EXPECT_EQ(normalizedAppName(QStringLiteral("Safari.APP")), QStringLiteral("safari"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("My.app.app")), QStringLiteral("my"));
    // The letters of "app" alone stay.
    EXPECT_EQ(normalizedAppName(QStringLiteral("App Store")), QStringLiteral("appstore"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("WhatsApp")), QStringLiteral("whatsapp"));
}

TEST(AppNameNormalizing, KeepsLettersAndDigitsOfOtherScripts) {
    EXPECT_EQ(normalizedAppName(QStringLiteral("日本語 メモ")), QStringLiteral("日本語メモ"));
    EXPECT_EQ(normalizedAppName(QStringLiteral("Ζωή 3")), QStringLiteral("ζωη3"));
    // Emoji and symbols are dropped, also outside the basic plane.
    EXPECT_EQ(normalizedAppName(QStringLiteral("Notes 📝 ✓")), QStringLiteral("notes"));
}

TEST(AppNameNormalizing, NamesThatShouldMatchDo) {
    EXPECT_EQ(normalizedAppName(QStringLiteral("Microsoft Word")),
              normalizedAppName(QStringLiteral("microsoft-word.app")));
    EXPECT_NE(normalizedAppName(QStringLiteral("Notes")), normalizedAppName(QStringLiteral("Stickies")));
}

} // namespace
} // namespace nimbrel
