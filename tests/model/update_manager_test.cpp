#include "model/UpdateManager.h"

#include "activity/ActivityRecorder.h"
#include "model/StorePlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using nimbrel::testing::StorePlatform;
using Outcome = ScriptedUpdateFramework::Outcome;

namespace {

class UpdateManagerTest : public ::testing::Test {
  protected:
    StorePlatform env;
    const QString key = NimbrelUpdateManager::automaticChecksKey;

    // Titles of the activities recorded so far, in order.
    QStringList recordedTitles() const {
        QStringList titles;
        for (const auto& n : env.notifications.posted())
            if (n.name == kRecordActivityNotification) titles << n.userInfo.value("title").toString();
        return titles;
    }
};

TEST_F(UpdateManagerTest, StartsTheUpdaterWithTheStoredChoice) {
    {
        NimbrelUpdateManager manager(env.platform);
        EXPECT_TRUE(manager.automaticChecksEnabled.get());
        EXPECT_EQ(env.updater.startCount(), 1);
        EXPECT_TRUE(env.updater.automaticallyChecksForUpdates());
        EXPECT_EQ(manager.statusText.get(), QStringLiteral("Ready"));
        EXPECT_FALSE(env.defaults.contains(key)) << "the start value is not written back";
    }
    env.defaults.setString(key, QStringLiteral("false"));
    EXPECT_TRUE(NimbrelUpdateManager(env.platform).automaticChecksEnabled.get()) << "a text reads as on";

    env.defaults.setBool(key, false);
    NimbrelUpdateManager manager(env.platform);
    EXPECT_FALSE(manager.automaticChecksEnabled.get());
    EXPECT_FALSE(env.updater.automaticallyChecksForUpdates());
}

TEST_F(UpdateManagerTest, SettingTheSameValueOnlyReappliesItToTheUpdater) {
    NimbrelUpdateManager manager(env.platform);
    int writes = 0;
    auto token = env.defaults.observe(key, [&] { ++writes; });
    const size_t before = env.updater.automaticCheckWrites().size();

    manager.setAutomaticChecksEnabled(true);
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(env.updater.automaticCheckWrites().size(), before + 1);

    manager.setAutomaticChecksEnabled(false);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(env.defaults.boolValue(key), std::optional<bool>(false));
    EXPECT_FALSE(env.updater.automaticallyChecksForUpdates());
    EXPECT_FALSE(manager.automaticChecksEnabled.get());
}

TEST_F(UpdateManagerTest, ScriptedChecksEndInTheirStatusTexts) {
    NimbrelUpdateManager manager(env.platform);
    env.updater.enqueueResult({Outcome::updateFound, {QStringLiteral("2.0"), QStringLiteral("200")}, {}});
    env.updater.enqueueResult({Outcome::failure, {}, {QStringLiteral("SUError"), 1, QStringLiteral("No network.")}});

    manager.statusText.set(NimbrelUpdateManager::kChecking);
    manager.checkForUpdates();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Checking")) << "answers never arrive inside the call";
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Update Available")) << "the cycle's end keeps the answer";
    EXPECT_FALSE(manager.didReceiveDefinitiveResult);

    manager.checkForUpdates();
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Failed"));

    manager.checkForUpdates(); // nothing queued: the default answer, no update
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Up to Date"));
    EXPECT_EQ(env.updater.checkCount(), 3);
    EXPECT_EQ(recordedTitles(),
              (QStringList{"Update Available", "Update Check Failed", "Update Check Failed", "No Updates Found"}));
}

TEST_F(UpdateManagerTest, AnErrorAfterAnAnswerInTheSameCycleChangesNothing) {
    NimbrelUpdateManager manager(env.platform);
    const UpdateError error{QStringLiteral("SUError"), 2, QStringLiteral("Lost.")};
    manager.updaterDidNotFindUpdate();
    manager.didAbortWithError(error);
    manager.didFinishUpdateCycle(UpdateCheckKind::updates, error);
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Up to Date"));
    EXPECT_EQ(recordedTitles(), QStringList{"No Updates Found"});
    EXPECT_FALSE(manager.didReceiveDefinitiveResult) << "the cycle's end forgets the answer";

    // The next cycle's error counts again.
    manager.didAbortWithError(error);
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Failed"));
    ASSERT_EQ(recordedTitles().size(), 2);
    EXPECT_EQ(env.notifications.posted().back().userInfo.value("message").toString(), QStringLiteral("Lost."));
    EXPECT_EQ(env.notifications.posted().back().userInfo.value("type").toString(), QStringLiteral("error"));
}

TEST_F(UpdateManagerTest, CycleEndTurnsOnlyAStillShownCheckingIntoReady) {
    NimbrelUpdateManager manager(env.platform);
    manager.statusText.set(NimbrelUpdateManager::kChecking);
    manager.didFinishUpdateCycle(UpdateCheckKind::updates, std::nullopt);
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Ready"));

    manager.statusText.set(NimbrelUpdateManager::kFailed);
    manager.didFinishUpdateCycle(UpdateCheckKind::updatesInBackground, std::nullopt);
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Failed"));

    // Loading the appcast shows Ready whatever was shown.
    manager.statusText.set(NimbrelUpdateManager::kChecking);
    manager.didFinishLoadingAppcast();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Checking")) << "handled on the next turn";
    env.scheduler.runUntilIdle();
    EXPECT_EQ(manager.statusText.get(), QStringLiteral("Ready"));
}

TEST_F(UpdateManagerTest, AnswersArrivingAfterTheManagerIsGoneDoNothing) {
    auto manager = std::make_unique<NimbrelUpdateManager>(env.platform);
    manager->checkForUpdates();
    manager.reset();
    env.scheduler.runUntilIdle();
    EXPECT_TRUE(recordedTitles().isEmpty());
}

} // namespace
