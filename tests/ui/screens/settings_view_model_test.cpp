#include "model/SettingsStore.h"
#include "model/StoreFixture.h"
#include "model/UpdateManager.h"
#include "platform/Alerts.h"
#include "platform/Calendar.h"
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

// An open panel that answers with a chosen list of paths, or cancels.
struct FakeAlerts final : Alerts {
    std::optional<QStringList> answer;
    std::vector<OpenPanelRequest> panels;
    int runModal(const AlertRequest&) override { return kAlertFirstButtonReturn; }
    std::optional<QStringList> runOpenPanel(const OpenPanelRequest& request) override {
        panels.push_back(request);
        return answer;
    }
    void beep() override {}
};

class SettingsViewModelTest : public testing::StoreFixture {
  protected:
    SettingsViewModelTest() {
        platform.loginItems = &loginItems;
        platform.alerts = &alerts;
        updates = std::make_unique<NimbrelUpdateManager>(platform);
        status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
        settings = std::make_unique<NimbrelSettingsStore>(platform, *updates, status, *syncManager);
        model = std::make_unique<SettingsViewModel>(platform, *settings);
        scheduler.runUntilIdle();
        activities.clear();
    }
    bool mirror() const { return defaults.boolValue("Nimbrel.settings.launchAtLoginEnabled").value_or(false); }

    FakeLoginItems loginItems;
    FakeAlerts alerts;
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
    for (const bool on : {false, true}) {
        model->setTile("sync", on);
        const QVariantMap tile = model->preferenceTiles()[1].toMap();
        EXPECT_EQ((tile.value("key").toString() + (tile.value("isOn").toBool() ? " on" : " off")).toStdString(),
                  on ? "sync on" : "sync off");
    }
    // Before version 26 there is no glass tile.
    EXPECT_EQ(model->preferenceTiles().size(), 4);
}

// A check stamps the store with the date and time in the user's short styles; in a locale
// whose short form the card reads (whatever it writes between the time and PM), the line
// shows today's date at once.
TEST_F(SettingsViewModelTest, CheckingForUpdatesShowsTodayAtOnce) {
    setCurrentLocaleName("en_US");
    model->checkForUpdates();
    EXPECT_EQ(model->lastCheckedLine(),
              "Last checked " + DateFormatter(DateStyle::Medium, DateStyle::None).string(scheduler.now()))
        << settings->lastUpdateCheckedText().get().toStdString();
    setCurrentLocaleName({});
}

// A picture chosen in the panel is kept as a 256-pixel PNG and replaces the one before; a
// cancelled panel keeps what was there, silently, and a file that is no image or cannot be read
// keeps it too, saying so.
TEST_F(SettingsViewModelTest, ChoosingAnAccountPicture) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImage(512, 256, QImage::Format_RGB32).save(&buffer, "JPEG");
    tree.writeFile("/Users/user/Pictures/me.jpg", jpeg);
    tree.writeFile("/Users/user/Pictures/notes.png", "not an image");
    QImage green(40, 40, QImage::Format_RGB32);
    green.fill(Qt::green);
    tree.writeFile("/Users/user/Pictures/green.png", *accountImageData(green));
    const struct {
        std::optional<QStringList> answer;
        bool replaced;
        QString refusal; // the activity's message, if any
    } choices[] = {
        {std::nullopt, false, {}},
        {QStringList{"/Users/user/Pictures/notes.png"}, false,
         "\u201cnotes.png\u201d could not be read as an image, so the account picture was kept."},
        {QStringList{"/Users/user/Pictures/me.jpg"}, true, {}},
        {QStringList{}, false, {}},
        {QStringList{"/Users/user/Pictures/green.png"}, true, {}},
        {QStringList{"/Users/user/Pictures/gone.png"}, false,
         "\u201cgone.png\u201d could not be read as an image, so the account picture was kept."},
    };
    for (const auto& c : choices) {
        const std::optional<QByteArray> before = settings->customAccountImageData().get();
        activities.clear();
        alerts.answer = c.answer;
        model->chooseAccountImage();
        const std::optional<QByteArray> after = settings->customAccountImageData().get();
        EXPECT_EQ(after != before, c.replaced);
        if (c.replaced) {
            EXPECT_EQ(QImage::fromData(*after, "PNG").size(), QSize(256, 256));
        }
        EXPECT_EQ(activities.size(), c.refusal.isEmpty() ? 0u : 1u);
        EXPECT_EQ(c.refusal.isEmpty() ? QString() : messageOf("Account Picture Refused"), c.refusal);
    }
    ASSERT_EQ(alerts.panels.size(), 6u);
    const OpenPanelRequest& panel = alerts.panels.front();
    EXPECT_EQ(panel.title, "Choose Account Image");
    EXPECT_TRUE(panel.canChooseFiles && !panel.canChooseDirectories && !panel.allowsMultipleSelection);
    EXPECT_EQ(panel.allowedContentTypes, (QStringList{"public.png", "public.jpeg", "public.heic", "public.tiff"}));
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

    // Drawn once per change of the picture: neither a redraw nor another preference draws it anew.
    const QString drawn = model->accountImageSource();
    settings->setMinimizeAfterCycle(false);
    EXPECT_TRUE(model->accountImageSource().isSharedWith(drawn));
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    settings->setCustomAccountImageData(accountImageData(blue));
    EXPECT_NE(model->accountImageSource(), drawn);
}

} // namespace
} // namespace nimbrel
