#include "EditorScrolling.h"
#include "app/AppShell.h"
#include "app/ScreenModels.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"
#include "support/QtPrinters.h"
#include "ui/UiTestPlatform.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// The whole program on the simulated Mac, its panel driven through its items: a session made
// on the sessions screen takes over the Dock, the desktop picture and the status item, and
// deleting it gives them back.
class SessionTakesEffect : public ::testing::Test {
  protected:
    void SetUp() override {
        env.platform.userNotifications = &userNotifications; // the sessions store's reminders
        AppShell::Hooks hooks;
        hooks.terminate = [] {};
        hooks.exitProcess = [](int) {};
        hooks.makeScreenModel = [this](NimbrelPanelScreen screen) { return makeScreenModel(screen, env.platform); };
        app = std::make_unique<AppShell>(env.platform, std::move(hooks));
        app->shell().setStatusButtonGeometry(1500, 4, 34, 29); // its place in the menu bar
        app->launch();
        env.scheduler.advance(2); // the sessions store starts a second after launch
        app->shell().statusItemClicked();
        env.notifications.post(QStringLiteral("Nimbrel.showSessions")); // the main menu's Sessions card
        env.scheduler.runUntilIdle();
        driver = std::make_unique<testing::QuickDriver>(
            "NimbrelPanelRootView.qml", QVariantMap{{"model", QVariant::fromValue(app->shell().panelContent())}},
            QSize(900, 800));
        settle(0.5);
    }
    void TearDown() override {
        driver.reset();
        app.reset();
    }

    // Virtual time passes with the event loop turning.
    void settle(double seconds) {
        for (double t = 0; t < seconds; t += 0.25) {
            env.scheduler.advance(0.25);
            driver->settle();
        }
    }
    void clickInEditor(const QString& name) { testing::clickInEditor(*driver, name); }
    QStringList dockTitles() {
        QStringList titles;
        for (const sim::DockTile& tile : env.mac().dockTiles())
            if (tile.kind == sim::DockTileKind::application && tile.persistent) titles << tile.title;
        return titles;
    }
    QString desktopPicture() {
        const std::vector<ScreenInfo> screens = env.platform.screens->screens();
        if (screens.empty()) return {};
        return env.platform.workspace->desktopImageURL(screens.front().id).value_or(QString());
    }

    testing::UiTestPlatform env;
    RecordingUserNotifications userNotifications{env.scheduler, env.scheduler};
    std::unique_ptr<AppShell> app;
    std::unique_ptr<testing::QuickDriver> driver;
};

const QString kPicture = QStringLiteral("/System/Library/Desktop Pictures/Hello Orange.heic");

TEST_F(SessionTakesEffect, ASessionActiveNowTakesOverTheMacUntilItIsDeleted) {
    const QStringList originalDock = dockTitles();
    const QString originalPicture = desktopPicture();
    const MenuBarIconImage originalIcon = app->shell().statusIcon();
    ASSERT_FALSE(originalDock.contains("Calendar")) << originalDock.join(",").toStdString();

    driver->click("createSessionButton");
    settle(1); // the installed apps' first scan fills the picker
    for (const char* row : {"pickerRow_Calendar", "pickerRow_TextEdit", "pickerRow_iTerm"})
        clickInEditor(row);
    clickInEditor("quickSymbol_moon.fill");
    env.simulated.alerts().answerNextOpenPanel(QStringList{kPicture});
    clickInEditor("wallpaperButton");
    driver->click("saveSessionButton"); // every day, 9:00 to 17:00: a Tuesday noon is inside
    settle(15);

    EXPECT_EQ(dockTitles(), QStringList({"Finder", "Launchpad", "Calendar", "TextEdit", "iTerm"}));
    EXPECT_EQ(QUrl(desktopPicture()).toLocalFile(), kPicture);
    EXPECT_EQ(app->shell().statusIcon().name, "moon.fill");
    EXPECT_EQ(driver->require("statusText")->property("text").toString(), "Active");

    driver->click("deleteButton");
    settle(15);
    EXPECT_EQ(dockTitles(), originalDock);
    EXPECT_EQ(desktopPicture(), originalPicture);
    EXPECT_EQ(app->shell().statusIcon(), originalIcon);
}

} // namespace
} // namespace nimbrel
