#include "BrowserFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

using Mode = NimbrelBrowserOpeningMode;
using Placement = NimbrelWindowPlacement;
const QString kChrome = QStringLiteral("com.google.Chrome");

// Chrome with no windows of its own; the tests open the group's windows and record them.
class BrowserRuleGroupsTest : public BrowserFixture {
  protected:
    BrowserRuleGroupsTest() {
        while (!chromeApp().windows.empty())
            mac.closeWindow(chromeApp(), chromeApp().windows.front().id);
    }
    // Opens one window per URL, oldest first as a script would, and records them as a group.
    std::vector<OpenBrowserWebsiteRuleAction> openGroup(const QStringList& urls,
                                                        const std::vector<Placement>& placements = {}) {
        std::vector<OpenBrowserWebsiteRuleAction> actions;
        for (qsizetype i = 0; i < urls.size(); ++i) {
            mac.newBrowserWindow(chromeApp(), urls[i]);
            actions.push_back(chrome(urls[i], Mode::newWindow,
                                     size_t(i) < placements.size() ? placements[size_t(i)] : Placement::leftHalf));
        }
        wm->browsers().groups().recordBrowserRuleGroup(actions);
        return actions;
    }
    bool click() {
        const auto running = wm->apps().runningApplication(kChrome, std::nullopt);
        return running && wm->handleBrowserRuleGroupDockTap(*running);
    }
    sim::Window& shown(const QString& url) {
        sim::Window* w = windowShowing(chromeApp(), url);
        if (!w) throw std::runtime_error("no window for " + url.toStdString());
        return *w;
    }
    std::vector<AXElement> group() { return wm->browserRuleGroupsByBundleIdentifier[kChrome]; }
    AXElement elementOf(const QString& url) { return element(chromeApp(), shown(url)); }
    void minimizeAll() {
        // Minimizing moves a window to the end of the list: take the ids first.
        std::vector<std::uint64_t> ids;
        for (const sim::Window& w : chromeApp().windows)
            ids.push_back(w.id);
        for (auto id : ids)
            mac.setMinimized(chromeApp(), id, true);
    }
};

TEST_F(BrowserRuleGroupsTest, NoGroupMeansTheClickIsNotTaken) {
    EXPECT_FALSE(click());
    wm->browserRuleGroupsByBundleIdentifier[kChrome] = {};
    EXPECT_FALSE(click());
    EXPECT_TRUE(activities.empty());
    EXPECT_TRUE(mac.recorder().texts(sim::EventKind::accessibilityWrite).empty());
}

TEST_F(BrowserRuleGroupsTest, RecordingNeedsTwoNewWindowActionsAndKeepsTheWindowsInActionOrder) {
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://solo.example/"));
    wm->browsers().groups().recordBrowserRuleGroup({chrome(QStringLiteral("https://solo.example/"))});
    EXPECT_EQ(wm->browserRuleGroupsByBundleIdentifier.count(kChrome), 0u);

    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    // Three new windows (the solo one too) but two actions: the newest two, oldest first.
    EXPECT_EQ(group(), (std::vector<AXElement>{elementOf(QStringLiteral("https://a.example/")),
                                               elementOf(QStringLiteral("https://b.example/"))}));
    EXPECT_EQ(wm->browserRuleGroupActionsByBundleIdentifier[kChrome].size(), 2u);
    EXPECT_FALSE(wm->browserRuleGroupIsMinimizedByBundleIdentifier[kChrome]);
    EXPECT_TRUE(wm->browserRuleGroupIsFocusedByBundleIdentifier[kChrome]);
}

TEST_F(BrowserRuleGroupsTest, WindowsThatWereThereBeforeNeverJoin) {
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://old.example/"));
    wm->browserGroupPreexistingWindowKeysByBundleIdentifier[kChrome] = {QStringLiteral("oldexample-")};
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/"),
               QStringLiteral("https://c.example/")});
    const auto windows = group();
    EXPECT_EQ(windows.size(), 3u);
    EXPECT_EQ(std::count(windows.begin(), windows.end(), elementOf(QStringLiteral("https://old.example/"))), 0);
}

TEST_F(BrowserRuleGroupsTest, ToggleMinimizesThenRestoresReplacingEachWindowAndFocusingTheLast) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")},
              {Placement::leftHalf, Placement::rightHalf});
    mac.newBrowserWindow(chromeApp(), QString()); // a new-tab window is not counted

    EXPECT_TRUE(click());
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Minimized"});
    EXPECT_EQ(activities[0].message, "Minimized 2 browser windows.");
    EXPECT_TRUE(log.contains("NimbrelWindowManager: toggling stored browser rule group as one workspace "
                             "shouldRestore=false minimized=[false, false]"));
    EXPECT_TRUE(shown(QStringLiteral("https://a.example/")).minimized);
    EXPECT_TRUE(shown(QStringLiteral("https://b.example/")).minimized);
    EXPECT_TRUE(wm->browserRuleGroupIsMinimizedByBundleIdentifier[kChrome]);

    scheduler.advance(1.4);
    const double t0 = lastEventTime();
    EXPECT_TRUE(click());
    EXPECT_EQ(activities.back().title, "Browser Group Restored");
    EXPECT_EQ(activities.back().message, "Restored 2 browser windows.");
    EXPECT_FALSE(shown(QStringLiteral("https://a.example/")).minimized);
    scheduler.advance(0.17);
    EXPECT_TRUE(positionWriteTimes(t0).empty());
    scheduler.advance(0.02);
    EXPECT_EQ(appKitFrame(shown(QStringLiteral("https://a.example/"))), expectedFrame(Placement::leftHalf, 1));
    EXPECT_EQ(appKitFrame(shown(QStringLiteral("https://b.example/"))), expectedFrame(Placement::rightHalf, 1));
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, QStringLiteral("AXRaise")), 0);
    scheduler.advance(0.1);
    // The last window of the group is raised and made the focused window.
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, QStringLiteral("AXRaise")), 1);
    EXPECT_EQ(mac.focusedWindowId(chromeApp()), shown(QStringLiteral("https://b.example/")).id);
}

TEST_F(BrowserRuleGroupsTest, AClickWithinTheCooldownIsSwallowedButCountsAsHandled) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    EXPECT_TRUE(click());
    scheduler.advance(1.0);
    EXPECT_TRUE(click());
    EXPECT_TRUE(log.contains("NimbrelWindowManager: swallowing duplicate browser rule group toggle"));
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Minimized"});
    // The swallowed click did not renew the date: 1.4 s after the first toggle works.
    scheduler.advance(0.4);
    EXPECT_TRUE(click());
    EXPECT_EQ(activityTitles(), (QStringList{"Browser Group Minimized", "Browser Group Restored"}));
}

TEST_F(BrowserRuleGroupsTest, EveryWindowMinimizedMeansRestoreWhateverTheFlagSays) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    minimizeAll();
    ASSERT_FALSE(wm->browserRuleGroupIsMinimizedByBundleIdentifier[kChrome]);
    EXPECT_TRUE(click());
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Restored"});
    EXPECT_FALSE(shown(QStringLiteral("https://a.example/")).minimized);
    EXPECT_FALSE(shown(QStringLiteral("https://b.example/")).minimized);
}

TEST_F(BrowserRuleGroupsTest, AClosedGroupWindowEndsTheGroupAtTheNextClick) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/"),
               QStringLiteral("https://c.example/")});
    wm->lastBrowserRuleGroupToggleDateByBundleIdentifier[kChrome] = Date{1};
    mac.closeWindow(chromeApp(), shown(QStringLiteral("https://b.example/")).id);
    EXPECT_FALSE(click());
    EXPECT_EQ(wm->browserRuleGroupsByBundleIdentifier.count(kChrome), 0u);
    EXPECT_EQ(wm->browserRuleGroupActionsByBundleIdentifier.count(kChrome), 0u);
    EXPECT_EQ(wm->browserRuleGroupIsMinimizedByBundleIdentifier.count(kChrome), 0u);
    EXPECT_EQ(wm->browserRuleGroupIsFocusedByBundleIdentifier.count(kChrome), 0u);
    EXPECT_EQ(wm->lastBrowserRuleGroupToggleDateByBundleIdentifier.count(kChrome), 1u);
    EXPECT_FALSE(click());
    EXPECT_TRUE(activities.empty());
}

TEST_F(BrowserRuleGroupsTest, WithOtherWindowsTheClickSwapsTheGroupAndThem) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://other.example/"));

    EXPECT_TRUE(click());
    EXPECT_TRUE(log.contains("NimbrelWindowManager: cycling browser rule group with individual windows "
                             "groupIsFocused=true otherWindows=1"));
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Minimized"});
    EXPECT_EQ(activities[0].message, "Minimized 2 browser rule windows and focused another browser window.");
    EXPECT_TRUE(shown(QStringLiteral("https://a.example/")).minimized);
    EXPECT_TRUE(shown(QStringLiteral("https://b.example/")).minimized);
    EXPECT_FALSE(shown(QStringLiteral("https://other.example/")).minimized);
    EXPECT_EQ(mac.focusedWindowId(chromeApp()), shown(QStringLiteral("https://other.example/")).id);

    scheduler.advance(1.0);
    EXPECT_TRUE(click());
    EXPECT_TRUE(log.contains("NimbrelWindowManager: swallowing duplicate browser mixed-cycle toggle"));
    scheduler.advance(0.4);
    EXPECT_TRUE(click());
    EXPECT_EQ(activities.back().title, "Browser Group Restored");
    EXPECT_EQ(activities.back().message, "Restored 2 browser rule windows and minimized 1 other browser windows.");
    EXPECT_TRUE(shown(QStringLiteral("https://other.example/")).minimized);
    EXPECT_FALSE(shown(QStringLiteral("https://a.example/")).minimized);
    scheduler.advance(0.3);
    EXPECT_EQ(mac.focusedWindowId(chromeApp()), shown(QStringLiteral("https://b.example/")).id);
}

TEST_F(BrowserRuleGroupsTest, WithoutTheFocusedFlagTheWindowStatesDecide) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://other.example/"));
    wm->browserRuleGroupIsFocusedByBundleIdentifier.erase(kChrome);
    for (const QString& url : {QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")})
        mac.setMinimized(chromeApp(), shown(url).id, true);
    EXPECT_TRUE(click());
    EXPECT_TRUE(log.contains("NimbrelWindowManager: cycling browser rule group with individual windows "
                             "groupIsFocused=false otherWindows=1"));
    EXPECT_EQ(activities.back().title, "Browser Group Restored");
}

TEST_F(BrowserRuleGroupsTest, AGroupWindowStillOnAPlaceholderLeavesNoOtherWindowToCycleTo) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    // Still loading: its title is the placeholder, so the browser shows one titled window.
    mac.loadURL(chromeApp(), shown(QStringLiteral("https://b.example/")), 0, QStringLiteral("chrome://newtab/"));
    EXPECT_FALSE(click());
    EXPECT_EQ(wm->lastBrowserRuleGroupToggleDateByBundleIdentifier.count(kChrome), 0u);
    EXPECT_TRUE(activities.empty());
}

TEST_F(BrowserRuleGroupsTest, FiringTheRuleAgainTogglesAnOpenGroupOfTheSameSize) {
    const auto actions = openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    EXPECT_TRUE(wm->browsers().groups().toggleExistingBrowserRuleGroup(actions));
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Minimized"});
    // Three new-window actions against a two-window group: not this group.
    auto three = actions;
    three.push_back(chrome(QStringLiteral("https://c.example/")));
    scheduler.advance(2);
    EXPECT_FALSE(wm->browsers().groups().toggleExistingBrowserRuleGroup(three));
    // A single new-window action never toggles.
    EXPECT_FALSE(wm->browsers().groups().toggleExistingBrowserRuleGroup({actions.front()}));
    EXPECT_EQ(activityTitles(), QStringList{"Browser Group Minimized"});
}

TEST_F(BrowserRuleGroupsTest, AGroupShortOfAWindowIsRestoredByTheFirstActions) {
    // Three new-window actions, but only two windows ever came up.
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://a.example/"));
    mac.newBrowserWindow(chromeApp(), QStringLiteral("https://b.example/"));
    const std::vector<OpenBrowserWebsiteRuleAction> actions{
        chrome(QStringLiteral("https://a.example/"), Mode::newWindow, Placement::topLeft),
        chrome(QStringLiteral("https://b.example/"), Mode::newWindow, Placement::topRight),
        chrome(QStringLiteral("https://c.example/"), Mode::newWindow, Placement::bottomLeft)};
    wm->browsers().groups().recordBrowserRuleGroup(actions);
    ASSERT_EQ(group().size(), 2u);
    minimizeAll();
    EXPECT_TRUE(click());
    scheduler.advance(0.3);
    EXPECT_EQ(appKitFrame(shown(QStringLiteral("https://a.example/"))), expectedFrame(Placement::topLeft, 1));
    EXPECT_EQ(appKitFrame(shown(QStringLiteral("https://b.example/"))), expectedFrame(Placement::topRight, 1));
    EXPECT_EQ(mac.focusedWindowId(chromeApp()), shown(QStringLiteral("https://b.example/")).id);
    // The same rule fired again opens its websites anew: two live windows, three actions.
    scheduler.advance(2);
    EXPECT_FALSE(wm->browsers().groups().toggleExistingBrowserRuleGroup(actions));
}

TEST_F(BrowserRuleGroupsTest, RestoringTakesAWindowOutOfFullScreenFirst) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")},
              {Placement::leftHalf, Placement::rightHalf});
    mac.setFullScreen(chromeApp(), shown(QStringLiteral("https://a.example/")).id, true);
    wm->browserRuleGroupIsMinimizedByBundleIdentifier[kChrome] = true;
    EXPECT_TRUE(click());
    scheduler.advance(0.3);
    EXPECT_FALSE(shown(QStringLiteral("https://a.example/")).fullScreen);
    EXPECT_EQ(appKitFrame(shown(QStringLiteral("https://a.example/"))), expectedFrame(Placement::leftHalf, 1));
}

TEST_F(BrowserRuleGroupsTest, DelayedStepsOfAGoneWindowManagerDoNothing) {
    openGroup({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")});
    wm->browserRuleGroupIsMinimizedByBundleIdentifier[kChrome] = true;
    EXPECT_TRUE(click());
    wm.reset();
    scheduler.advance(1);
    EXPECT_EQ(countWrites(QStringLiteral("AXPosition")), 0);
}

} // namespace
