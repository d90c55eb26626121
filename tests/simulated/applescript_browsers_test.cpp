#include "SimFixture.h"

namespace nimbrel::sim::testing {
namespace {

using AppleScriptBrowsers = SimTest;

QString chromiumNewWindow(const QString& bundleId, const QString& url) {
    return QStringLiteral("tell application id \"%1\"\n    activate\n    set newWindow to make new window\n"
                          "    set URL of active tab of newWindow to \"%2\"\nend tell")
        .arg(bundleId, url);
}

const char* kSafariNewTab = R"(tell application id "com.apple.Safari"
    activate
    if (count of windows) is 0 then
        make new document with properties {URL:"URL"}
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
                set URL of current tab to "URL"
            else
                set current tab to (make new tab with properties {URL:"URL"})
            end if
        end tell
    end if
end tell)";

const char* kSafariNewWindow = R"(tell application id "com.apple.Safari"
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
    set URL of current tab of front window to "URL"
end tell)";

const char* kSafariCleanup = R"(tell application id "com.apple.Safari"
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
end tell)";

const char* kChromiumGroupNewTabs = R"(tell application id "com.google.Chrome"
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
        make new tab at end of tabs of front window with properties {URL:"https://two.example/"}
                    delay 0.05
                    make new tab at end of tabs of front window with properties {URL:"https://three.example/"}
    end if
end tell)";

QString withURL(const char* script, const QString& url) { return QString::fromUtf8(script).replace(QStringLiteral("\"URL\""), QLatin1Char('"') + url + QLatin1Char('"')); }

TEST_F(AppleScriptBrowsers, ChromiumNewWindowOpensAWindowOnTheURL) {
    App& chrome = appNamed(QStringLiteral("Google Chrome"));
    const size_t before = chrome.windows.size();
    const auto result = sim.appleScript().execute(chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://example.com/a")));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    App& after = appNamed(QStringLiteral("Google Chrome"));
    ASSERT_EQ(after.windows.size(), before + 1);
    EXPECT_EQ(after.windows.front().tabs.size(), 1u);
    EXPECT_EQ(after.windows.front().tabs[0].url, QStringLiteral("https://example.com/a"));
    EXPECT_EQ(after.windows.front().title, QStringLiteral("example.com"));
    EXPECT_EQ(mac().frontmostPid(), after.pid);
}

TEST_F(AppleScriptBrowsers, SafariNewTabAddsATabOrFillsAStartPage) {
    App& safari = appNamed(QStringLiteral("Safari"));
    const size_t tabsBefore = safari.windows.front().tabs.size();
    ASSERT_TRUE(sim.appleScript().execute(withURL(kSafariNewTab, QStringLiteral("https://one.example/"))).succeeded());
    Window& front = appNamed(QStringLiteral("Safari")).windows.front();
    ASSERT_EQ(front.tabs.size(), tabsBefore + 1);
    EXPECT_EQ(front.tabs.back().url, QStringLiteral("https://one.example/"));
    EXPECT_EQ(front.currentTab, static_cast<int>(tabsBefore));
    EXPECT_EQ(front.title, QStringLiteral("one.example"));

    // A front window on the start page gets the URL in place.
    mac().newBrowserWindow(safari, QString());
    ASSERT_TRUE(sim.appleScript().execute(withURL(kSafariNewTab, QStringLiteral("https://two.example/"))).succeeded());
    Window& start = appNamed(QStringLiteral("Safari")).windows.front();
    ASSERT_EQ(start.tabs.size(), 1u);
    EXPECT_EQ(start.tabs[0].url, QStringLiteral("https://two.example/"));

    // With no window, a new document.
    appNamed(QStringLiteral("Safari")).windows.clear();
    ASSERT_TRUE(sim.appleScript().execute(withURL(kSafariNewTab, QStringLiteral("https://three.example/"))).succeeded());
    ASSERT_EQ(appNamed(QStringLiteral("Safari")).windows.size(), 1u);
    EXPECT_EQ(appNamed(QStringLiteral("Safari")).windows[0].tabs[0].url, QStringLiteral("https://three.example/"));
}

TEST_F(AppleScriptBrowsers, SafariNewWindowGoesThroughSystemEvents) {
    const size_t before = appNamed(QStringLiteral("Safari")).windows.size();
    const auto result = sim.appleScript().execute(withURL(kSafariNewWindow, QStringLiteral("https://a.example/")));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    App& safari = appNamed(QStringLiteral("Safari"));
    ASSERT_EQ(safari.windows.size(), before + 1);
    EXPECT_EQ(safari.windows.front().tabs[0].url, QStringLiteral("https://a.example/"));
    const auto effects = mac().recorder().texts(EventKind::scriptEffect);
    EXPECT_TRUE(effects.end() != std::find(effects.begin(), effects.end(),
                                           QStringLiteral("System Events: keystroke \"n\" using command down to process \"Safari\"")));
    EXPECT_TRUE(effects.end() != std::find(effects.begin(), effects.end(), QStringLiteral("delay 0.22")));
}

TEST_F(AppleScriptBrowsers, SafariCleanupClosesOnlyBlankStarterWindows) {
    App& safari = appNamed(QStringLiteral("Safari"));
    mac().newBrowserWindow(safari, QString());                          // Start Page
    mac().newBrowserWindow(safari, QStringLiteral("about:blank"));      // blank
    const auto result = sim.appleScript().execute(QString::fromUtf8(kSafariCleanup));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    QStringList titles;
    for (const Window& w : appNamed(QStringLiteral("Safari")).windows) titles << w.title;
    // The two default windows stay: one shows a page, the other has two tabs.
    EXPECT_EQ(titles, (QStringList{"en.wikipedia.org", "apple.com"}));
}

TEST_F(AppleScriptBrowsers, ChromiumGroupOfNewTabsFillsTheFrontWindow) {
    ASSERT_TRUE(sim.appleScript().execute(chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("chrome://newtab/"))).succeeded());
    const auto result = sim.appleScript().execute(QString::fromUtf8(kChromiumGroupNewTabs));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    const Window& front = appNamed(QStringLiteral("Google Chrome")).windows.front();
    ASSERT_EQ(front.tabs.size(), 3u);
    EXPECT_EQ(front.tabs[0].url, QStringLiteral("https://one.example/"));
    EXPECT_EQ(front.tabs[2].url, QStringLiteral("https://three.example/"));
    EXPECT_EQ(front.currentTab, 2);
}

TEST_F(AppleScriptBrowsers, EscapedQuotesAndBackslashesReachTheURL) {
    const auto result = sim.appleScript().execute(
        chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://x.example/?q=\\\"a\\\\b\\\"")));
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(appNamed(QStringLiteral("Google Chrome")).windows.front().tabs[0].url, QStringLiteral("https://x.example/?q=\"a\\b\""));
}

TEST_F(AppleScriptBrowsers, NotAuthorizedAndNotRunningFaultsGiveTheirErrorDictionaries) {
    sim.appleScript().failScriptsFor(QStringLiteral("com.google.Chrome"), -1743);
    const size_t before = appNamed(QStringLiteral("Google Chrome")).windows.size();
    auto result = sim.appleScript().execute(chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://a/")));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), -1743);
    EXPECT_EQ(result.error->value(kAppleScriptErrorMessage).toString(), QStringLiteral("Not authorized to send Apple events to Google Chrome."));
    EXPECT_EQ(appNamed(QStringLiteral("Google Chrome")).windows.size(), before);

    appNamed(QStringLiteral("Safari")).scriptError = -600;
    result = sim.appleScript().execute(withURL(kSafariNewTab, QStringLiteral("https://b/")));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), -600);
    EXPECT_TRUE(describeAppleScriptError(*result.error).contains(QStringLiteral("NSAppleScriptErrorNumber = -600;")));
}

TEST_F(AppleScriptBrowsers, SyntaxErrorsAndUnknownThingsAreErrorsNotCrashes) {
    auto compiled = sim.appleScript().compile(QStringLiteral("tell application id \"com.apple.Safari\"\n    activate\n"));
    ASSERT_TRUE(compiled.has_value());
    EXPECT_EQ(compiled->value(kAppleScriptErrorNumber).toInt(), -2741);
    EXPECT_FALSE(sim.appleScript().compile(QString::fromUtf8(kSafariCleanup)).has_value());

    EXPECT_EQ(sim.appleScript().execute(QStringLiteral("tell application id \"com.example.nothing\" to activate"))
                  .error->value(kAppleScriptErrorNumber).toInt(), -1728);
    EXPECT_EQ(sim.appleScript().execute(QStringLiteral("set x to y & \"a\"")).error->value(kAppleScriptErrorNumber).toInt(), -2753);
    EXPECT_FALSE(sim.appleScript().execute(QStringLiteral("tell application id \"com.apple.Safari\"\n do script \"ls\"\nend tell")).succeeded());
    EXPECT_FALSE(sim.appleScript().execute(QStringLiteral("\"unterminated")).succeeded());
    EXPECT_FALSE(sim.appleScript().execute(QStringLiteral("end tell")).succeeded());
    EXPECT_TRUE(sim.appleScript().execute(QString()).succeeded());
}

TEST_F(AppleScriptBrowsers, ScriptsToAnAppThatIsNotRunningLaunchItWithoutWindows) {
    mac().terminate(appNamed(QStringLiteral("Google Chrome")).pid);
    const auto result = sim.appleScript().execute(QString::fromUtf8(kChromiumGroupNewTabs));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    App& chrome = appNamed(QStringLiteral("Google Chrome"));
    ASSERT_EQ(chrome.windows.size(), 1u);
    EXPECT_EQ(chrome.windows[0].tabs.size(), 3u);
}

} // namespace
} // namespace nimbrel::sim::testing
