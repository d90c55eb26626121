#include "SimFixture.h"

namespace nimbrel::sim::testing {
namespace {

using AppleScriptGroups = SimTest;

const char* kSafariGroupWindows = "tell application id \"com.apple.Safari\"\n"
                                  "    activate\n"
                                  "    make new document with properties {URL:\"https://one.example/\"}\n"
                                  "delay 0.45\n"
                                  "                    make new document with properties {URL:\"https://two.example/\"}\n"
                                  "delay 0.45\n"
                                  "end tell";

const char* kSafariGroupTabs = R"(tell application id "com.apple.Safari"
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
        set current tab of front window to (make new tab at end of tabs of front window with properties {URL:"https://two.example/"})
                    delay 0.05
                    set current tab of front window to (make new tab at end of tabs of front window with properties {URL:"https://three.example/"})
    end if
end tell)";

const char* kChromiumGroupWindows = R"(tell application id "com.brave.Browser"
    activate
    set newWindow to make new window
                set URL of active tab of newWindow to "https://one.example/"
                delay 0.12
                set newWindow to make new window
                set URL of active tab of newWindow to "https://two.example/"
end tell)";

TEST_F(AppleScriptGroups, SafariNewWindowGroupMakesOneDocumentPerURL) {
    const size_t before = appNamed(QStringLiteral("Safari")).windows.size();
    ASSERT_TRUE(sim.appleScript().execute(QString::fromUtf8(kSafariGroupWindows)).succeeded());
    const App& safari = appNamed(QStringLiteral("Safari"));
    ASSERT_EQ(safari.windows.size(), before + 2);
    EXPECT_EQ(safari.windows[0].tabs[0].url, QStringLiteral("https://two.example/"));
    EXPECT_EQ(safari.windows[1].tabs[0].url, QStringLiteral("https://one.example/"));
    const auto effects = mac().recorder().texts(EventKind::scriptEffect);
    EXPECT_EQ(std::count(effects.begin(), effects.end(), QStringLiteral("delay 0.45")), 2);
}

TEST_F(AppleScriptGroups, SafariNewTabGroupAddsTabsAndShowsTheLast) {
    const size_t tabsBefore = appNamed(QStringLiteral("Safari")).windows.front().tabs.size();
    const auto result = sim.appleScript().execute(QString::fromUtf8(kSafariGroupTabs));
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
    auto result = sim.appleScript().execute(QString::fromUtf8(kChromiumGroupWindows));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), -1728);

    mac().installApplication(QStringLiteral("/Applications/Brave Browser.app"), QStringLiteral("com.brave.Browser"),
                             QStringLiteral("Brave Browser"));
    result = sim.appleScript().execute(QString::fromUtf8(kChromiumGroupWindows));
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
