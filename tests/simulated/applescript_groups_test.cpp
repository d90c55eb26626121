#include "SimFixture.h"

#include "engine/BrowserScripts.h"

namespace nimbrel::sim::testing {
namespace {

using AppleScriptGroups = SimTest;

// The scripts are the program's own, so the simulated Mac is tested against what it is sent.
const QStringList kTwoURLs{QStringLiteral("https://one.example/"), QStringLiteral("https://two.example/")};
const QStringList kThreeURLs{QStringLiteral("https://one.example/"), QStringLiteral("https://two.example/"),
                             QStringLiteral("https://three.example/")};

TEST_F(AppleScriptGroups, SafariNewWindowGroupMakesOneDocumentPerURL) {
    const size_t before = appNamed(QStringLiteral("Safari")).windows.size();
    ASSERT_TRUE(sim.appleScript().execute(browserscripts::safariGroupNewWindows(kTwoURLs)).succeeded());
    const App& safari = appNamed(QStringLiteral("Safari"));
    ASSERT_EQ(safari.windows.size(), before + 2);
    EXPECT_EQ(safari.windows[0].tabs[0].url, QStringLiteral("https://two.example/"));
    EXPECT_EQ(safari.windows[1].tabs[0].url, QStringLiteral("https://one.example/"));
    const auto effects = mac().recorder().texts(EventKind::scriptEffect);
    EXPECT_EQ(std::count(effects.begin(), effects.end(), QStringLiteral("delay 0.45")), 2);
}

TEST_F(AppleScriptGroups, SafariNewTabGroupAddsTabsAndShowsTheLast) {
    const size_t tabsBefore = appNamed(QStringLiteral("Safari")).windows.front().tabs.size();
    const auto result = sim.appleScript().execute(browserscripts::safariGroupNewTabs(kThreeURLs));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    const Window& front = appNamed(QStringLiteral("Safari")).windows.front();
    ASSERT_EQ(front.tabs.size(), tabsBefore + 3);
    EXPECT_EQ(front.tabs.back().url, QStringLiteral("https://three.example/"));
    EXPECT_EQ(front.currentTab, static_cast<int>(front.tabs.size()) - 1);
    EXPECT_EQ(front.title, QStringLiteral("three.example"));
}

TEST_F(AppleScriptGroups, ChromiumNewWindowGroupLaunchesTheBrowserWhenNeeded) {
    EXPECT_EQ(mac().appWithBundleId(QStringLiteral("com.brave.Browser")), nullptr);
    // Brave is not installed on the default Mac: the script cannot reach it.
    auto result = sim.appleScript().execute(
        browserscripts::chromiumGroupNewWindows(QStringLiteral("com.brave.Browser"), kTwoURLs));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), -1728);

    mac().installApplication(QStringLiteral("/Applications/Brave Browser.app"), QStringLiteral("com.brave.Browser"),
                             QStringLiteral("Brave Browser"));
    result = sim.appleScript().execute(
        browserscripts::chromiumGroupNewWindows(QStringLiteral("com.brave.Browser"), kTwoURLs));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    const App* brave = mac().appWithBundleId(QStringLiteral("com.brave.Browser"));
    ASSERT_NE(brave, nullptr);
    ASSERT_EQ(brave->windows.size(), 2u);
    EXPECT_EQ(brave->windows[0].tabs[0].url, QStringLiteral("https://two.example/"));
    EXPECT_EQ(brave->windows[1].tabs[0].url, QStringLiteral("https://one.example/"));
    EXPECT_EQ(mac().frontmostPid(), brave->pid);
}

} // namespace
} // namespace nimbrel::sim::testing
