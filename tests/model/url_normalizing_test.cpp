#include "model/RuleActions.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

QString normalized(const QString& text) {
    OpenBrowserWebsiteRuleAction action;
    action.urlString = text;
    return action.normalizedURLString();
}

TEST(UrlNormalizing, SchemeAndTrimming) {
    EXPECT_EQ(normalized(QStringLiteral("  example.com/path \n")), QStringLiteral("https://example.com/path"));
    EXPECT_EQ(normalized(QStringLiteral(" HTTP://Example.com/A ")), QStringLiteral("HTTP://Example.com/A"));
    EXPECT_EQ(normalized(QStringLiteral("https://x.org")), QStringLiteral("https://x.org"));
    EXPECT_EQ(normalized(QStringLiteral("HtTpS://x.org")), QStringLiteral("HtTpS://x.org"));
    EXPECT_EQ(normalized(QStringLiteral("ftp://files.example.com")), QStringLiteral("https://ftp://files.example.com"));
    EXPECT_EQ(normalized(QStringLiteral("   \t ")), QString());
    EXPECT_EQ(normalized(QString()), QString());
}

TEST(UrlNormalizing, OtherSchemesNeverPassThrough) {
    // Only web addresses are opened; anything else is made one.
    EXPECT_EQ(normalized(QStringLiteral("javascript:alert(1)")), QStringLiteral("https://javascript:alert(1)"));
    EXPECT_EQ(normalized(QStringLiteral("file:///etc/passwd")), QStringLiteral("https://file:///etc/passwd"));
    EXPECT_EQ(normalized(QStringLiteral("http:/half")), QStringLiteral("https://http:/half"));
}

} // namespace
} // namespace nimbrel
