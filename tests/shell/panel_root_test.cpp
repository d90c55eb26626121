#include "app/PanelRootViewModel.h"
#include "app/ShellNames.h"
#include "platform/Published.h"
#include "shell/ShellTestSupport.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>

namespace nimbrel {
namespace {

TEST(PanelSubtitles, CountsInWords) {
    EXPECT_EQ(rulesSubtitle(0), "No active rules");
    EXPECT_EQ(rulesSubtitle(1), "1 active rule");
    EXPECT_EQ(rulesSubtitle(12), "12 active rules");
    EXPECT_EQ(sessionsSubtitle(0), "No sessions");
    EXPECT_EQ(sessionsSubtitle(1), "1 session");
    EXPECT_EQ(sessionsSubtitle(3), "3 sessions");
}

class PanelRootTest : public ::testing::Test {
  protected:
    PanelRootTest() { notifications.setRecording(true); }
    std::unique_ptr<PanelRootViewModel> make() {
        PanelRootViewModel::Stores stores;
        stores.obtain = [this] { ++obtained; };
        stores.enabledRuleCount = [this] { return enabledRules; };
        stores.sessionCount = [this] { return sessions; };
        stores.observeCounts = [this](std::function<void()> changed) {
            return counts.observe([changed](int) { changed(); });
        };
        stores.screenOpened = [this](NimbrelPanelScreen screen) { opened.push_back(screen); };
        stores.makeScreenModel = [](NimbrelPanelScreen screen) {
            auto model = std::make_unique<QObject>();
            model->setObjectName(QString::number(int(screen)));
            return model;
        };
        return std::make_unique<PanelRootViewModel>(notifications, std::move(stores));
    }
    // Stands in for the stores' published lists: set it after changing the counts.
    void countsChanged() { counts.set(counts.get() + 1); }

    NotificationCenter notifications;
    int obtained = 0;
    int enabledRules = 1;
    int sessions = 3;
    Published<int> counts{0};
    std::vector<NimbrelPanelScreen> opened;
};

TEST_F(PanelRootTest, StartsAtMainAndObtainsStoresOnce) {
    auto vm = make();
    EXPECT_EQ(vm->screen(), NimbrelPanelScreen::Main);
    EXPECT_EQ(vm->screenName(), "main");
    EXPECT_EQ(obtained, 1);
    EXPECT_EQ(vm->rulesSubtitleText(), "1 active rule");
    EXPECT_EQ(vm->sessionsSubtitleText(), "3 sessions");
}

TEST_F(PanelRootTest, EachOpeningMakesAFreshScreenModelAndMainHasNone) {
    auto vm = make();
    EXPECT_EQ(vm->screenModel(), nullptr);
    notifications.post(shell::kShowRules);
    QPointer<QObject> rules = vm->screenModel();
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->objectName(), QString::number(int(NimbrelPanelScreen::Rules)));
    notifications.post(shell::kShowMainWindow);
    EXPECT_EQ(vm->screenModel(), nullptr);
    testing::deleteReleasedObjects();
    EXPECT_TRUE(rules) << "the screen sliding out still reads its model";
    notifications.post(shell::kShowRules);
    EXPECT_NE(vm->screenModel(), nullptr);
    testing::deleteReleasedObjects();
    EXPECT_FALSE(rules) << "the model of a closed screen is released once its screen is replaced";
}

TEST_F(PanelRootTest, SixNotificationsSwitchScreens) {
    auto vm = make();
    QSignalSpy spy(vm.get(), &PanelRootViewModel::screenChanged);
    const std::pair<QString, NimbrelPanelScreen> routes[] = {
        {shell::kShowBlacklist, NimbrelPanelScreen::Blacklist}, {shell::kShowRules, NimbrelPanelScreen::Rules},
        {shell::kShowSessions, NimbrelPanelScreen::Sessions},   {shell::kShowActivity, NimbrelPanelScreen::Activity},
        {shell::kShowSettings, NimbrelPanelScreen::Settings},   {shell::kShowMainWindow, NimbrelPanelScreen::Main},
    };
    for (const auto& [name, screen] : routes) {
        notifications.post(name);
        EXPECT_EQ(vm->screen(), screen) << name.toStdString();
    }
    EXPECT_EQ(spy.count(), 6);
    notifications.post(shell::kShowMainWindow); // already there: nothing visible changes
    EXPECT_EQ(spy.count(), 6);
}

TEST_F(PanelRootTest, BackActionPostsShowMainWindowAndReturnsToMain) {
    auto vm = make();
    notifications.post(shell::kShowRules);
    vm->requestMainScreen();
    EXPECT_EQ(vm->screen(), NimbrelPanelScreen::Main);
    EXPECT_EQ(notifications.posted().back().name, shell::kShowMainWindow);
    EXPECT_TRUE(notifications.posted().back().userInfo.isEmpty());
}

TEST_F(PanelRootTest, AppearancePostsHeightAndSubtitlesFollowStoresOnReturn) {
    auto vm = make();
    vm->appeared();
    const Notification& n = notifications.posted().back();
    EXPECT_EQ(n.name, shell::kPanelHeightDidChange);
    EXPECT_EQ(n.userInfo.value("height").typeId(), QMetaType::Double);
    EXPECT_EQ(n.userInfo.value("height").toDouble(), 500.0);

    notifications.post(shell::kShowRules);
    enabledRules = 0;
    sessions = 1;
    notifications.post(shell::kShowMainWindow);
    EXPECT_EQ(vm->rulesSubtitleText(), "No active rules");
    EXPECT_EQ(vm->sessionsSubtitleText(), "1 session");
}

TEST_F(PanelRootTest, SubtitlesFollowTheStoresWhileTheMenuShows) {
    auto vm = make();
    QSignalSpy spy(vm.get(), &PanelRootViewModel::subtitlesChanged);
    enabledRules = 12;
    sessions = 0;
    countsChanged();
    EXPECT_EQ(vm->rulesSubtitleText(), "12 active rules");
    EXPECT_EQ(vm->sessionsSubtitleText(), "No sessions");
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(PanelRootTest, OpeningAScreenObtainsItsStoreEachTimeItOpens) {
    auto vm = make();
    notifications.post(shell::kShowBlacklist);
    notifications.post(shell::kShowBlacklist); // already open: nothing new
    notifications.post(shell::kShowMainWindow);
    notifications.post(shell::kShowActivity);
    notifications.post(shell::kShowSettings);
    const std::vector<NimbrelPanelScreen> expected = {NimbrelPanelScreen::Blacklist, NimbrelPanelScreen::Main,
                                                      NimbrelPanelScreen::Activity, NimbrelPanelScreen::Settings};
    EXPECT_EQ(opened, expected);
}

TEST_F(PanelRootTest, PostAcceptsOnlyShellRequests) {
    auto vm = make();
    const size_t before = notifications.posted().size();
    vm->post("Nimbrel.globalPauseActive");
    vm->post("nimbrelRecordActivity");
    EXPECT_EQ(notifications.posted().size(), before);
    vm->post(shell::kShowSettings);
    EXPECT_EQ(vm->screen(), NimbrelPanelScreen::Settings);
}

} // namespace
} // namespace nimbrel
