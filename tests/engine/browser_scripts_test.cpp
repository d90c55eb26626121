#include "engine/BrowserScripts.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
namespace bs = nimbrel::browserscripts;

namespace {

// A quote, a backslash and text outside ASCII; in a script it reads a\"b\\c.
const QString kURL = QString::fromUtf8("https://example.com/a\"b\\c?q=\xC3\xBC\xE6\x97\xA5\xE6\x9C\xAC");
QString expected(const char* text) {
    return QString::fromUtf8(text);
}

TEST(BrowserScriptTexts, EscapingDoublesBackslashesBeforeQuotingQuotes) {
    EXPECT_EQ(bs::escaped(QStringLiteral("a\"b\\c")), QStringLiteral("a\\\"b\\\\c"));
    // A backslash already before a quote is doubled first, so the quote stays escaped.
    EXPECT_EQ(bs::escaped(QStringLiteral("\\\"")), QStringLiteral("\\\\\\\""));
    EXPECT_EQ(bs::escaped(QString::fromUtf8("\xC3\xBC")), QString::fromUtf8("\xC3\xBC"));
}

TEST(BrowserScriptTexts, LineBreaksControlsAndCurlyQuotesInURLsArePercentEncoded) {
    EXPECT_EQ(bs::escapedURL(QStringLiteral("https://a.example/x\ny\rz\tw")),
              QStringLiteral("https://a.example/x%0Ay%0Dz%09w"));
    EXPECT_EQ(bs::escapedURL(QString::fromUtf8("https://a.example/\xE2\x80\x9Dq\xE2\x80\x9C\xE2\x80\xA8")),
              QStringLiteral("https://a.example/%E2%80%9Dq%E2%80%9C%E2%80%A8"));
    EXPECT_EQ(bs::escapedURL(QString(QChar(0x7F)) + QChar(0x85)), QStringLiteral("%7F%C2%85"));
    EXPECT_EQ(bs::escapedURL(kURL),
              QString::fromUtf8("https://example.com/a\\\"b\\\\c?q=\xC3\xBC\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_TRUE(bs::hasUnsafeScriptCharacters(QStringLiteral("a\nb")));
    EXPECT_FALSE(bs::hasUnsafeScriptCharacters(kURL));
}

TEST(BrowserScriptTexts, EightBrowsersAreScriptedByExactIdentifier) {
    EXPECT_EQ(bs::familyOf(QStringLiteral("com.apple.Safari")), bs::Family::safari);
    for (const char* id :
         {"com.google.Chrome", "com.google.Chrome.canary", "com.brave.Browser", "com.microsoft.edgemac",
          "com.operasoftware.Opera", "com.operasoftware.OperaGX", "com.vivaldi.Vivaldi"})
        EXPECT_EQ(bs::familyOf(QString::fromLatin1(id)), bs::Family::chromium) << id;
    EXPECT_FALSE(bs::familyOf(QStringLiteral("com.apple.safari")));
    EXPECT_FALSE(bs::familyOf(QStringLiteral("com.google.chrome")));
    EXPECT_FALSE(bs::familyOf(QStringLiteral("org.mozilla.firefox")));
    EXPECT_FALSE(bs::familyOf(std::nullopt));
}

TEST(BrowserScriptTexts, SingleWebsiteTemplatesByteForByte) {
    EXPECT_EQ(bs::chromiumNewWindow(QStringLiteral("com.brave.Browser"), kURL),
              expected(R"(tell application id "com.brave.Browser"
    activate
    set newWindow to make new window
    set URL of active tab of newWindow to "https://example.com/a\"b\\c?q=ü日本"
end tell)"));

    EXPECT_EQ(bs::safariNewWindow(kURL), expected(R"(tell application id "com.apple.Safari"
    activate
end tell
delay 0.12
tell application "System Events"
    tell process "Safari"
        keystroke "n" using command down
    end tell
end tell
delay 0.22
tell application id "com.apple.Safari"
    set URL of current tab of front window to "https://example.com/a\"b\\c?q=ü日本"
end tell)"));

    EXPECT_EQ(bs::chromiumNewTab(QStringLiteral("com.google.Chrome"), kURL),
              expected(R"(tell application id "com.google.Chrome"
    activate
    if (count of windows) is 0 then
        make new window
        set URL of active tab of front window to "https://example.com/a\"b\\c?q=ü日本"
    else
        tell front window
            set existingURL to URL of active tab
            if existingURL is "" or existingURL is "about:blank" or existingURL contains "newtab" or existingURL contains "new-tab" then
                set URL of active tab to "https://example.com/a\"b\\c?q=ü日本"
            else
                make new tab with properties {URL:"https://example.com/a\"b\\c?q=ü日本"}
            end if
        end tell
    end if
end tell)"));

    EXPECT_EQ(bs::safariNewTab(kURL), expected(R"(tell application id "com.apple.Safari"
    activate
    if (count of windows) is 0 then
        make new document with properties {URL:"https://example.com/a\"b\\c?q=ü日本"}
    else
        tell front window
            set existingURL to ""
            try
                set existingURL to URL of current tab
            end try

            set existingTabName to ""
            try
                set existingTabName to name of current tab
            end try

            if existingURL is "" or existingURL is "about:blank" or existingURL starts with "favorites:" or existingURL starts with "x-apple-safari-startpage:" or existingTabName is "Start Page" or existingTabName is "Favorites" then
                set URL of current tab to "https://example.com/a\"b\\c?q=ü日本"
            else
                set current tab to (make new tab with properties {URL:"https://example.com/a\"b\\c?q=ü日本"})
            end if
        end tell
    end if
end tell)"));
}

TEST(BrowserScriptTexts, GroupOfNewWindowsByteForByte) {
    const QStringList urls{kURL, QStringLiteral("https://two.example/"), QStringLiteral("https://three.example/")};
    EXPECT_EQ(bs::safariGroupNewWindows(urls), expected(R"(tell application id "com.apple.Safari"
    activate
    make new document with properties {URL:"https://example.com/a\"b\\c?q=ü日本"}
delay 0.45
                    make new document with properties {URL:"https://two.example/"}
delay 0.45
                    make new document with properties {URL:"https://three.example/"}
delay 0.45
end tell)"));
    EXPECT_EQ(bs::chromiumGroupNewWindows(QStringLiteral("com.vivaldi.Vivaldi"), urls),
              expected(R"(tell application id "com.vivaldi.Vivaldi"
    activate
    set newWindow to make new window
                set URL of active tab of newWindow to "https://example.com/a\"b\\c?q=ü日本"
                delay 0.12
                set newWindow to make new window
                set URL of active tab of newWindow to "https://two.example/"
                delay 0.12
                set newWindow to make new window
                set URL of active tab of newWindow to "https://three.example/"
end tell)"));
    EXPECT_EQ(bs::safariGroupNewWindows({kURL}), expected(R"(tell application id "com.apple.Safari"
    activate
    make new document with properties {URL:"https://example.com/a\"b\\c?q=ü日本"}
delay 0.45
end tell)"));
    EXPECT_EQ(bs::chromiumGroupNewWindows(QStringLiteral("com.google.Chrome"), {kURL}),
              expected(R"(tell application id "com.google.Chrome"
    activate
    set newWindow to make new window
                set URL of active tab of newWindow to "https://example.com/a\"b\\c?q=ü日本"
end tell)"));
}

TEST(BrowserScriptTexts, GroupOfNewTabsByteForByte) {
    const QStringList urls{QStringLiteral("https://one.example/"), kURL, QStringLiteral("https://three.example/")};
    EXPECT_EQ(bs::safariGroupNewTabs(urls), expected(R"(tell application id "com.apple.Safari"
    activate
    if (count of windows) is 0 then
        make new document with properties {URL:"https://one.example/"}
    else
        tell front window
            set existingURL to ""
            try
                set existingURL to URL of current tab
            end try

            set existingTabName to ""
            try
                set existingTabName to name of current tab
            end try

            if existingURL is "" or existingURL is "about:blank" or existingURL starts with "favorites:" or existingURL starts with "x-apple-safari-startpage:" or existingTabName is "Start Page" or existingTabName is "Favorites" then
                set URL of current tab to "https://one.example/"
            else
                set current tab to (make new tab at end of tabs with properties {URL:"https://one.example/"})
            end if
        end tell
    end if

    if (count of windows) is greater than 0 then
        set current tab of front window to (make new tab at end of tabs of front window with properties {URL:"https://example.com/a\"b\\c?q=ü日本"})
                    delay 0.05
                    set current tab of front window to (make new tab at end of tabs of front window with properties {URL:"https://three.example/"})
    end if
end tell)"));

    EXPECT_EQ(bs::chromiumGroupNewTabs(QStringLiteral("com.microsoft.edgemac"), urls),
              expected(R"(tell application id "com.microsoft.edgemac"
    activate
    if (count of windows) is 0 then
        make new window
        set URL of active tab of front window to "https://one.example/"
    else
        tell front window
            set existingURL to URL of active tab
            if existingURL is "" or existingURL is "about:blank" or existingURL contains "newtab" or existingURL contains "new-tab" then
                set URL of active tab to "https://one.example/"
            else
                make new tab at end of tabs with properties {URL:"https://one.example/"}
            end if
        end tell
    end if

    if (count of windows) is greater than 0 then
        make new tab at end of tabs of front window with properties {URL:"https://example.com/a\"b\\c?q=ü日本"}
                    delay 0.05
                    make new tab at end of tabs of front window with properties {URL:"https://three.example/"}
    end if
end tell)"));
}

TEST(BrowserScriptTexts, GroupOfOneNewTabLeavesOnlyTheIndentAfterTheLastThen) {
    const QString safari = bs::safariGroupNewTabs({kURL});
    EXPECT_TRUE(safari.endsWith(QStringLiteral(
        "    end if\n\n    if (count of windows) is greater than 0 then\n        \n    end if\nend tell")))
        << safari.toStdString();
    EXPECT_TRUE(
        safari.contains(QString::fromUtf8(R"(set URL of current tab to "https://example.com/a\"b\\c?q=ü日本")")));
    const QString chromium = bs::chromiumGroupNewTabs(QStringLiteral("com.operasoftware.Opera"), {kURL});
    EXPECT_TRUE(chromium.endsWith(
        QStringLiteral("\n    if (count of windows) is greater than 0 then\n        \n    end if\nend tell")));
    EXPECT_TRUE(chromium.startsWith(QStringLiteral("tell application id \"com.operasoftware.Opera\"\n")));
}

TEST(BrowserScriptTexts, SafariCleanupByteForByte) {
    EXPECT_EQ(bs::safariStarterWindowCleanup(), expected(R"(tell application id "com.apple.Safari"
    repeat with safariWindow in windows
        try
            if (count of tabs of safariWindow) is 1 then
                set tabURL to ""
                set tabName to ""
                try
                    set tabURL to URL of current tab of safariWindow as text
                end try
                try
                    set tabName to name of current tab of safariWindow as text
                end try

                if tabURL is missing value then set tabURL to ""
                if tabName is missing value then set tabName to ""

                if tabURL is "" or tabURL is "about:blank" or tabURL starts with "favorites:" or tabURL starts with "x-apple-safari-startpage:" or tabURL starts with "topsites:" or tabName is "Start Page" or tabName is "Favorites" or tabName is "Untitled" or tabName is "" then
                    close safariWindow
                end if
            end if
        end try
    end repeat
end tell)"));
}

TEST(BrowserScriptTexts, AURLThatSpellsAPlaceholderIsNotExpandedAgain) {
    const QString script =
        bs::chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://x/<bundle id><url>"));
    EXPECT_TRUE(script.contains(QStringLiteral("to \"https://x/<bundle id><url>\"")));
    EXPECT_TRUE(script.startsWith(QStringLiteral("tell application id \"com.google.Chrome\"\n")));
}

} // namespace
