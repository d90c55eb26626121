#include "model/SettingsStore.h"
#include "model/StoreFixture.h"
#include "model/UpdateManager.h"
#include "platform/LoginItems.h"
#include "sync/CloudKitStatusProvider.h"
#include "ui/screens/AccountPicture.h"
#include "ui/screens/SettingsViewModel.h"

#include <QBuffer>
#include <QImage>

namespace nimbrel {
namespace {

// A login item service whose registration ends in a chosen status or fails.
struct FakeLoginItems final : LoginItems {
    LoginItemStatus current = LoginItemStatus::notRegistered;
    LoginItemStatus afterRegistering = LoginItemStatus::enabled;
    QString failure;
    QStringList calls;
    LoginItemStatus status() const override { return current; }
    bool registerMainApp(QString* error) override {
        calls << "register";
        if (!failure.isEmpty()) return *error = failure, false;
        current = afterRegistering;
        return true;
    }
    bool unregisterMainApp(QString* error) override {
        calls << "unregister";
        if (!failure.isEmpty()) return *error = failure, false;
        current = LoginItemStatus::notRegistered;
        return true;
    }
};

class SettingsViewModelTest : public testing::StoreFixture {
  protected:
    SettingsViewModelTest() {
        platform.loginItems = &loginItems;
        updates = std::make_unique<NimbrelUpdateManager>(platform);
        status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
        settings = std::make_unique<NimbrelSettingsStore>(platform, *updates, status, syncManager);
        model = std::make_unique<SettingsViewModel>(platform, *settings);
        scheduler.runUntilIdle();
        activities.clear();
    }
    bool mirror() const { return defaults.boolValue("Nimbrel.settings.launchAtLoginEnabled").value_or(false); }

    FakeLoginItems loginItems;
    std::unique_ptr<NimbrelUpdateManager> updates;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status;
    std::unique_ptr<NimbrelSettingsStore> settings;
    std::unique_ptr<SettingsViewModel> model;
};

// The entry follows the status read after the call, not the state asked for.
TEST_F(SettingsViewModelTest, LaunchAtLoginMirrorsTheLoginItemAndRecordsWhatCameOfIt) {
    using S = LoginItemStatus;
    const struct {
        S before;
        bool wanted;
        S afterRegistering;
        const char* failure;
        const char* calls;
        bool mirrored;
        const char* title;
        const char* message;
    } cases[] = {
        {S::notRegistered, true, S::enabled, "", "register", true, "Automatic Start Enabled",
         "Nimbrel will open automatically when you sign in."},
        {S::enabled, true, S::enabled, "", "", true, "Automatic Start Enabled",
         "Nimbrel will open automatically when you sign in."},
        {S::notRegistered, false, S::enabled, "", "", false, "Automatic Start Disabled",
         "Nimbrel will only open when launched manually."},
        {S::notRegistered, true, S::requiresApproval, "", "register", false, "Automatic Start Disabled",
         "Nimbrel will only open when launched manually."},
        {S::enabled, false, S::enabled, "", "unregister", false, "Automatic Start Disabled",
         "Nimbrel will only open when launched manually."},
        {S::notRegistered, true, S::enabled, "Operation not permitted", "register", false, "Automatic Start Failed",
         "Operation not permitted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        loginItems = FakeLoginItems{};
        loginItems.current = c.before;
        loginItems.afterRegistering = c.afterRegistering;
        loginItems.failure = c.failure;
        activities.clear();
        model->setTile("launchAtLogin", c.wanted);
        EXPECT_EQ(loginItems.calls.join(","), c.calls);
        EXPECT_EQ(mirror(), c.mirrored);
        EXPECT_EQ(model->preferenceTiles().first().toMap().value("isOn").toBool(), c.mirrored);
        ASSERT_EQ(activities.size(), 1u);
        EXPECT_EQ(activities[0].title, c.title);
        EXPECT_EQ(activities[0].message, c.message);
    }
}

TEST_F(SettingsViewModelTest, AppearingReadsTheLoginItemWithoutRecordingAnything) {
    defaults.setBool("Nimbrel.settings.launchAtLoginEnabled", true);
    loginItems.current = LoginItemStatus::notFound; // removed in the system's settings
    model->appeared();
    scheduler.runUntilIdle();
    EXPECT_FALSE(mirror());
    EXPECT_TRUE(activities.empty());
}

TEST_F(SettingsViewModelTest, NotificationsTurnOnOnlyWhenTheSystemGrantsThem) {
    for (const bool granted : {false, true}) {
        env.userNotifications.setAuthorizationGranted(granted);
        model->setTile("notifications", true);
        EXPECT_FALSE(settings->systemNotificationsEnabled().get()) << "off until the answer";
        scheduler.runUntilIdle();
        EXPECT_EQ(settings->systemNotificationsEnabled().get(), granted);
    }
    const size_t asked = env.userNotifications.authorizationRequests().size();
    EXPECT_EQ(env.userNotifications.authorizationRequests().back(), unsigned(NotificationAlert | NotificationSound));
    model->setTile("notifications", false);
    EXPECT_FALSE(settings->systemNotificationsEnabled().get());
    EXPECT_EQ(env.userNotifications.authorizationRequests().size(), asked) << "turning off never asks";
}

TEST_F(SettingsViewModelTest, ModesAndTilesWriteTheStore) {
    model->chooseBehaviorMode(2);
    EXPECT_EQ(defaults.stringValue("Nimbrel.settings.behaviorMode"), "cycling");
    const QVariantList modes = model->behaviorModes();
    EXPECT_EQ(
        std::count_if(modes.begin(), modes.end(), [](const QVariant& m) { return m.toMap()["selected"].toBool(); }), 1);
    EXPECT_TRUE(modes[2].toMap()["selected"].toBool());
    model->setTile("minimizeAfterCycle", false);
    EXPECT_EQ(defaults.boolValue("Nimbrel.settings.minimizeAfterCycle"), false);
    EXPECT_EQ(model->preferencesSummary(), QString::fromUtf8("Sync \u00B7 Cycling"));
    // Before version 26 there is no glass tile.
    EXPECT_EQ(model->preferenceTiles().size(), 4);
}

TEST_F(SettingsViewModelTest, AStoredPictureThatDoesNotDecodeFallsThrough) {
    EXPECT_TRUE(model->accountImageSource().isEmpty());
    settings->setCustomAccountImageData(QByteArray("not an image"));
    EXPECT_FALSE(model->accountImage());
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    settings->setCustomAccountImageData(accountImageData(red));
    ASSERT_TRUE(model->accountImage());
    EXPECT_TRUE(model->accountImageSource().startsWith("data:image/png;base64,"));
}

} // namespace
} // namespace nimbrel
