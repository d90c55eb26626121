#include "SimFixture.h"

#include "engine/BrowserScripts.h"

namespace nimbrel::sim::testing {
namespace {

using AppleScriptBrowsers = SimTest;

// The scripts are the program's own, so the simulated Mac is tested against what it is sent.
using browserscripts::chromiumNewWindow;
QString safariNewTab(const QString& url) {
    return browserscripts::safariNewTab(url);
}
QString safariNewWindow(const QString& url) {
    return browserscripts::safariNewWindow(url);
}
QString safariCleanup() {
    return browserscripts::safariStarterWindowCleanup();
}
QString chromiumGroupNewTabs() {
    return browserscripts::chromiumGroupNewTabs(QStringLiteral("com.google.Chrome"),
                                                {QStringLiteral("https://one.example/"),
                                                 QStringLiteral("https://two.example/"),
                                                 QStringLiteral("https://three.example/")});
}

TEST_F(AppleScriptBrowsers, ChromiumNewWindowOpensAWindowOnTheURL) {
    App& chrome = appNamed(QStringLiteral("Google Chrome"));
    const size_t before = chrome.windows.size();
    const auto result = sim.appleScript().execute(
        chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://example.com/a")));
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
    ASSERT_TRUE(sim.appleScript().execute(safariNewTab(QStringLiteral("https://one.example/"))).succeeded());
    Window& front = appNamed(QStringLiteral("Safari")).windows.front();
    ASSERT_EQ(front.tabs.size(), tabsBefore + 1);
    EXPECT_EQ(front.tabs.back().url, QStringLiteral("https://one.example/"));
    EXPECT_EQ(front.currentTab, static_cast<int>(tabsBefore));
    EXPECT_EQ(front.title, QStringLiteral("one.example"));

    // A front window on the start page gets the URL in place.
    mac().newBrowserWindow(safari, QString());
    ASSERT_TRUE(sim.appleScript().execute(safariNewTab(QStringLiteral("https://two.example/"))).succeeded());
    Window& start = appNamed(QStringLiteral("Safari")).windows.front();
    ASSERT_EQ(start.tabs.size(), 1u);
    EXPECT_EQ(start.tabs[0].url, QStringLiteral("https://two.example/"));

    // With no window, a new document.
    appNamed(QStringLiteral("Safari")).windows.clear();
    ASSERT_TRUE(sim.appleScript().execute(safariNewTab(QStringLiteral("https://three.example/"))).succeeded());
    ASSERT_EQ(appNamed(QStringLiteral("Safari")).windows.size(), 1u);
    EXPECT_EQ(appNamed(QStringLiteral("Safari")).windows[0].tabs[0].url, QStringLiteral("https://three.example/"));
}

TEST_F(AppleScriptBrowsers, SafariNewWindowGoesThroughSystemEvents) {
    const size_t before = appNamed(QStringLiteral("Safari")).windows.size();
    const auto result = sim.appleScript().execute(safariNewWindow(QStringLiteral("https://a.example/")));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    App& safari = appNamed(QStringLiteral("Safari"));
    ASSERT_EQ(safari.windows.size(), before + 1);
    EXPECT_EQ(safari.windows.front().tabs[0].url, QStringLiteral("https://a.example/"));
    const auto effects = mac().recorder().texts(EventKind::scriptEffect);
    EXPECT_TRUE(effects.end() !=
                std::find(effects.begin(), effects.end(),
                          QStringLiteral("System Events: keystroke \"n\" using command down to process \"Safari\"")));
    EXPECT_TRUE(effects.end() != std::find(effects.begin(), effects.end(), QStringLiteral("delay 0.22")));
}

TEST_F(AppleScriptBrowsers, SafariCleanupClosesOnlyBlankStarterWindows) {
    App& safari = appNamed(QStringLiteral("Safari"));
    mac().newBrowserWindow(safari, QString());                     // Start Page
    mac().newBrowserWindow(safari, QStringLiteral("about:blank")); // blank
    const auto result = sim.appleScript().execute(safariCleanup());
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    QStringList titles;
    for (const Window& w : appNamed(QStringLiteral("Safari")).windows)
        titles << w.title;
    // The two default windows stay: one shows a page, the other has two tabs.
    EXPECT_EQ(titles, (QStringList{"en.wikipedia.org", "apple.com"}));
}

TEST_F(AppleScriptBrowsers, ChromiumGroupOfNewTabsFillsTheFrontWindow) {
    ASSERT_TRUE(sim.appleScript()
                    .execute(chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("chrome://newtab/")))
                    .succeeded());
    const auto result = sim.appleScript().execute(chromiumGroupNewTabs());
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    const Window& front = appNamed(QStringLiteral("Google Chrome")).windows.front();
    ASSERT_EQ(front.tabs.size(), 3u);
    EXPECT_EQ(front.tabs[0].url, QStringLiteral("https://one.example/"));
    EXPECT_EQ(front.tabs[2].url, QStringLiteral("https://three.example/"));
    EXPECT_EQ(front.currentTab, 2);
}

TEST_F(AppleScriptBrowsers, EscapedQuotesAndBackslashesReachTheURL) {
    const auto result = sim.appleScript().execute(
        chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://x.example/?q=\"a\\b\"")));
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(appNamed(QStringLiteral("Google Chrome")).windows.front().tabs[0].url,
              QStringLiteral("https://x.example/?q=\"a\\b\""));
}

TEST_F(AppleScriptBrowsers, NotAuthorizedAndNotRunningFaultsGiveTheirErrorDictionaries) {
    sim.appleScript().failScriptsFor(QStringLiteral("com.google.Chrome"), -1743);
    const size_t before = appNamed(QStringLiteral("Google Chrome")).windows.size();
    auto result =
        sim.appleScript().execute(chromiumNewWindow(QStringLiteral("com.google.Chrome"), QStringLiteral("https://a/")));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), -1743);
    EXPECT_EQ(result.error->value(kAppleScriptErrorMessage).toString(),
              QStringLiteral("Not authorized to send Apple events to Google Chrome."));
    EXPECT_EQ(appNamed(QStringLiteral("Google Chrome")).windows.size(), before);

    appNamed(QStringLiteral("Safari")).scriptError = -600;
    result = sim.appleScript().execute(safariNewTab(QStringLiteral("https://b/")));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), -600);
    EXPECT_TRUE(describeAppleScriptError(*result.error).contains(QStringLiteral("NSAppleScriptErrorNumber = -600;")));
}

TEST_F(AppleScriptBrowsers, SyntaxErrorsAndUnknownThingsAreErrorsNotCrashes) {
    auto compiled =
        sim.appleScript().compile(QStringLiteral("tell application id \"com.apple.Safari\"\n    activate\n"));
    ASSERT_TRUE(compiled.has_value());
    EXPECT_EQ(compiled->value(kAppleScriptErrorNumber).toInt(), -2741);
    EXPECT_FALSE(sim.appleScript().compile(safariCleanup()).has_value());

    EXPECT_EQ(sim.appleScript()
                  .execute(QStringLiteral("tell application id \"com.example.nothing\" to activate"))
                  .error->value(kAppleScriptErrorNumber)
                  .toInt(),
              -1728);
    EXPECT_EQ(
        sim.appleScript().execute(QStringLiteral("set x to y & \"a\"")).error->value(kAppleScriptErrorNumber).toInt(),
        -2753);
    EXPECT_FALSE(sim.appleScript()
                     .execute(QStringLiteral("tell application id \"com.apple.Safari\"\n do script \"ls\"\nend tell"))
                     .succeeded());
    EXPECT_FALSE(sim.appleScript().execute(QStringLiteral("\"unterminated")).succeeded());
    EXPECT_FALSE(sim.appleScript().execute(QStringLiteral("end tell")).succeeded());
    EXPECT_TRUE(sim.appleScript().execute(QString()).succeeded());
}

TEST_F(AppleScriptBrowsers, ACompileFaultFailsTheNextScriptToThatAppOnly) {
    sim.appleScript().failNextCompile(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"));
    sim.appleScript().failNextCompile(QString(), QStringLiteral("Terminal"));
    // A script to another application is not touched; the next one to Safari, by id, fails once.
    EXPECT_FALSE(sim.appleScript().compile(chromiumGroupNewTabs()).has_value());
    const auto refused = sim.appleScript().compile(safariCleanup());
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->value(kAppleScriptErrorNumber).toInt(), kAppleScriptSyntaxError);
    EXPECT_FALSE(sim.appleScript().compile(safariCleanup()).has_value());
    // Told by name, and met by execute as well as by compile.
    const auto result = sim.appleScript().execute(QStringLiteral("tell application \"Terminal\"\n activate\nend tell"));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), kAppleScriptSyntaxError);
    EXPECT_TRUE(
        sim.appleScript().execute(QStringLiteral("tell application \"Terminal\"\n activate\nend tell")).succeeded());
    EXPECT_EQ(mac().recorder().texts(EventKind::appleScript).at(1),
              QStringLiteral("-> does not compile: error -2741: Expected end of line but found identifier."));
}

TEST_F(AppleScriptBrowsers, ScriptsToAnAppThatIsNotRunningLaunchItWithoutWindows) {
    mac().terminate(appNamed(QStringLiteral("Google Chrome")).pid);
    const auto result = sim.appleScript().execute(chromiumGroupNewTabs());
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    App& chrome = appNamed(QStringLiteral("Google Chrome"));
    ASSERT_EQ(chrome.windows.size(), 1u);
    EXPECT_EQ(chrome.windows[0].tabs.size(), 3u);
}

} // namespace
} // namespace nimbrel::sim::testing
