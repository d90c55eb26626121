#include "platform/Calendar.h"
#include "platform/TextServices.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace nimbrel;

namespace {
struct LocaleScope {
    explicit LocaleScope(const QByteArray& name) { setCurrentLocaleName(name); }
    ~LocaleScope() { setCurrentLocaleName({}); }
};
} // namespace

TEST(TextServices, FoldsCaseAndDiacritics) {
    LocaleScope locale("en_US");
    EXPECT_EQ(foldCaseAndDiacritics(QString::fromUtf8("Café")), "cafe");
    EXPECT_EQ(foldCaseAndDiacritics(QString::fromUtf8("ÅNGSTRÖM Ñandú")), QString::fromUtf8("angstrom nandu"));
    // Already decomposed input folds the same way.
    EXPECT_EQ(foldCaseAndDiacritics(QString::fromUtf8("Cafe\u0301")), "cafe");
    // Letters that are not a base plus a mark stay themselves.
    EXPECT_EQ(foldCaseAndDiacritics(QString::fromUtf8("Straße Ø")), QString::fromUtf8("straße ø"));
    EXPECT_EQ(foldCaseAndDiacritics(QString()), QString());
    // Text outside the Basic Multilingual Plane survives.
    EXPECT_EQ(foldCaseAndDiacritics(QString::fromUtf8("A😀")), QString::fromUtf8("a😀"));
    // A lone surrogate reads as the replacement character.
    EXPECT_EQ(foldCaseAndDiacritics(QStringLiteral("É") + QChar(0xD800)), QStringLiteral("e\uFFFD"));
}

TEST(TextServices, FoldingUsesTheCurrentLocale) {
    // Plain ASCII text takes a shorter way than other text; both must agree with the locale.
    const struct {
        const char* locale;
        const char* text;
        const char* folded;
    } cases[] = {
        {"tr_TR", "I", "ı"},
        {"tr_TR", "Mail Inbox", "mail ınbox"},
        {"tr", "ILIK", "ılık"},
        {"az_AZ", "Id", "ıd"},
        {"tr_TR", "Iş", "ıs"},
        {"en_US", "I", "i"},
        {"en_US", "Mail Inbox", "mail inbox"},
        {"lt_LT", "IJ Ij", "ij ij"},
        {"de_DE", "ÄRGER Is", "arger is"},
    };
    for (const auto& c : cases) {
        LocaleScope locale(c.locale);
        EXPECT_EQ(foldCaseAndDiacritics(QString::fromUtf8(c.text)), QString::fromUtf8(c.folded))
            << c.locale << " " << c.text;
    }
}

TEST(TextServices, AsciiFoldsAsInLongerText) {
    // A non-ASCII letter after an ASCII one sends the text the long way; the ASCII part must
    // fold the same either way.
    for (const char* name : {"en_US", "tr_TR", "lt_LT"}) {
        LocaleScope locale(name);
        for (char16_t c = 0; c < 0x80; ++c) {
            const QString ascii(QChar{c});
            EXPECT_EQ(foldCaseAndDiacritics(ascii + QStringLiteral("é")),
                      foldCaseAndDiacritics(ascii) + QLatin1Char('e'))
                << name << " " << int(c);
        }
    }
}

TEST(TextServices, LetterOrDigitByUnicodeCategory) {
    for (char32_t c : {U'a', U'Z', U'5', U'é', U'ß', U'Ж', U'中', U'٣', U'½', U'Ⅻ'})
        EXPECT_TRUE(isLetterOrDigit(c)) << static_cast<unsigned>(c);
    for (char32_t c : {U' ', U'-', U'.', U'!', U'€', U'_', U'\u0301', U'\n', U'😀'})
        EXPECT_FALSE(isLetterOrDigit(c)) << static_cast<unsigned>(c);
    // The alphanumeric set also takes combining marks.
    EXPECT_TRUE(isAlphanumeric(U'\u0301'));
    EXPECT_TRUE(isAlphanumeric(U'x'));
    EXPECT_FALSE(isAlphanumeric(U'-'));
}

TEST(TextServices, LocalizedCaseInsensitiveCompare) {
    LocaleScope locale("en_US");
    EXPECT_LT(localizedCaseInsensitiveCompare("alpha", "Beta"), 0);
    EXPECT_GT(localizedCaseInsensitiveCompare("beta", "Alpha"), 0);
    EXPECT_EQ(localizedCaseInsensitiveCompare("Safari", "SAFARI"), 0);
    EXPECT_NE(localizedCaseInsensitiveCompare("a", QString::fromUtf8("á")), 0);
    // Letters sort by the language, not by code point ("é" before "f", "Z" after "a").
    EXPECT_LT(localizedCaseInsensitiveCompare(QString::fromUtf8("éclair"), "fig"), 0);
    EXPECT_LT(localizedCaseInsensitiveCompare("apple", "Zebra"), 0);

    QStringList names{"zeta", "Alpha", "beta", QString::fromUtf8("Ärger")};
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return localizedCaseInsensitiveCompare(a, b) < 0; });
    EXPECT_EQ(names, (QStringList{"Alpha", QString::fromUtf8("Ärger"), "beta", "zeta"}));

    // Swedish sorts "ä" after "z".
    setCurrentLocaleName("sv_SE");
    EXPECT_GT(localizedCaseInsensitiveCompare(QString::fromUtf8("ärlig"), "zon"), 0);
}

TEST(TextServices, LocalizedCaseInsensitiveContains) {
    LocaleScope locale("en_US");
    EXPECT_TRUE(localizedCaseInsensitiveContains("Google Chrome", "chrome"));
    EXPECT_TRUE(localizedCaseInsensitiveContains("google chrome", "CHROME"));
    EXPECT_FALSE(localizedCaseInsensitiveContains("Google Chrome", "firefox"));
    EXPECT_FALSE(localizedCaseInsensitiveContains("Google Chrome", ""));
    EXPECT_FALSE(localizedCaseInsensitiveContains(QString::fromUtf8("Café"), "cafe")); // diacritics count
}
