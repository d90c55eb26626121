#include "model/BlacklistSearch.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(FuzzyMatchScore, FollowsTheScoreTable) {
    EXPECT_EQ(fuzzyMatchScore(QString(), QStringLiteral("anything")), 0);
    EXPECT_EQ(fuzzyMatchScore(QString(), QString()), 0);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("safari"), QStringLiteral("safari")), 10000);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("saf"), QStringLiteral("safari")), 7994);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("far"), QStringLiteral("safari")), 5994);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("ab"), QStringLiteral("xaxb")), 275);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("abc"), QStringLiteral("abxc")), 460);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("ba"), QStringLiteral("ab")), std::nullopt);
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("abc"), QString()), std::nullopt);
}

TEST(FuzzyMatchScore, CapsPenaltiesAndNeverGoesBelowOne) {
    // First match after 40 characters: the lead penalty stops at 80.
    // a at 40, b at 42: 200 + 90 - min(120, 80) - min(8, 60) - 2 * 41
    const QString lead = QString(40, QLatin1Char('x')) + QStringLiteral("ayb");
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("ab"), lead), 120);
    const QString far = QStringLiteral("a") + QString(30, QLatin1Char('x')) + QStringLiteral("b");
    // a at 0, b at 31: 200 + 90 - min(124, 60) - 2 * 30
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("ab"), far), 170);
    const QString huge =
        QString(40, QLatin1Char('x')) + QStringLiteral("a") + QString(200, QLatin1Char('y')) + QStringLiteral("b");
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("ab"), huge), 1);
}

TEST(FuzzyMatchScore, CountsGraphemeClustersNotCodeUnits) {
    // "e" + combining acute is one character, so the extra length is 1, not 2.
    const QString candidate = QStringLiteral("cafe\u0301s");
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("caf"), candidate), 8000 - 2 * 2);
    // The bare "e" does not match the accented character.
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("cafes"), candidate), std::nullopt);
    // An emoji of two UTF-16 units is one character.
    EXPECT_EQ(fuzzyMatchScore(QStringLiteral("a"), QStringLiteral("a\U0001F600")), 8000 - 2);
}

TEST(FallbackAppName, UsesTheLastIdentifierComponent) {
    EXPECT_EQ(fallbackAppName(QStringLiteral("com.example.chat")), QStringLiteral("Chat"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("org.example.myTool")), QStringLiteral("MyTool"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("com.example.")), QStringLiteral("Example"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("émail.client.ünread")), QStringLiteral("Ünread"));
}

TEST(FallbackAppName, NamesPathKeysByTheirFileName) {
    EXPECT_EQ(fallbackAppName(QStringLiteral("/Applications/Tool")), QStringLiteral("Tool"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("/Applications/Foo.app")), QStringLiteral("Foo"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("~/Applications/bar.app")), QStringLiteral("Bar"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("/Applications/My.Tool.app/")), QStringLiteral("My.Tool"));
    EXPECT_EQ(fallbackAppName(QStringLiteral("plain")), QStringLiteral("Plain"));
}

TEST(FallbackAppName, KeepsKeysThatGiveNoName) {
    EXPECT_EQ(fallbackAppName(QString()), QString());
    EXPECT_EQ(fallbackAppName(QStringLiteral("...")), QStringLiteral("..."));
}

} // namespace
} // namespace nimbrel
