#include "app/ScreenModels.h"
#include "desktop/DesktopAlert.h"
#include "desktop/DesktopOpenPanel.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "ui/QuickDriver.h"
#include "ui/UiTestPlatform.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RulesPreview.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/sessions/EditorScrolling.h"
#include "ui/sessions/SessionsViewModel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

namespace nimbrel {
namespace {

// A home folder with a folder in a folder.
class OpenPanelDisk : public ::testing::Test {
  protected:
    OpenPanelDisk() { QDir().mkpath(root.filePath(QStringLiteral("Users/anna/Documents/Projects"))); }

    QTemporaryDir root;
    LocalFileSystem disk{root.path(), QStringLiteral("/Users/anna")};
};

TEST_F(OpenPanelDisk, RunBlocksUntilAnsweredAndShowsOnePanelAtATime) {
    DesktopOpenPanel panel(disk);
    OpenPanelRequest request;
    request.canChooseFiles = false;
    request.canChooseDirectories = true;
    std::optional<QStringList> nested = QStringList{"not asked"};
    // Runs inside the panel's own loop, as a person's clicks would.
    QTimer::singleShot(0, &panel, [&] {
        EXPECT_TRUE(panel.active());
        nested = panel.run(request);
        panel.open("/Users/anna/Documents");
        panel.select("/Users/anna/Documents/Projects");
        panel.confirm();
    });
    EXPECT_EQ(panel.run(request), QStringList{"/Users/anna/Documents/Projects"});
    EXPECT_EQ(nested, std::nullopt); // a second panel while one is up is cancelled
    EXPECT_FALSE(panel.active());

    QTimer::singleShot(0, &panel, [&] { panel.cancel(); });
    EXPECT_EQ(panel.run(request), std::nullopt);
}

// A person makes a Finder rule that opens a custom folder: the rules screen and the simulated
// Mac's open panel drawn in one window and driven through their items, the folder chosen in the
// panel and the rule saved to the store.
TEST(CustomFolderEndToEnd, ChosenInTheOpenPanelAndSaved) {
    testing::UiTestPlatform env;
    DesktopOpenPanel openPanel(*env.platform.files);
    env.simulated.alerts().setOpenPanelPresenter([&](const OpenPanelRequest& r) { return openPanel.run(r); });
    RulesViewModel model(env.platform, NimbrelRulesStore::sharedPtr(), previewEditorServices(env.platform));
    testing::QuickDriver driver(QStringLiteral("RulesView.qml"),
                                {{"model", QVariant::fromValue<QObject*>(&model)}, {"height", 1900}}, QSize(700, 1960));
    driver.add(QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/OpenPanelSheet.qml")),
               {{"model", QVariant::fromValue<QObject*>(&openPanel)}});
    auto run = [&] {
        env.scheduler.runUntilIdle();
        driver.settle();
    };
    run();
    driver.click(QStringLiteral("createRuleButton"));
    run();
    ASSERT_EQ(model.editorModel()->chosenAppName(), "Finder"); // a new rule's app
    EXPECT_EQ(driver.find(QStringLiteral("openPanel")), nullptr);

    // What the person does once the panel is up, inside its modal loop.
    QStringList rowsAtHome;
    QString title;
    QMetaObject::Connection shown = QObject::connect(
        &openPanel, &DesktopOpenPanel::changed, &openPanel,
        [&] {
            QObject::disconnect(shown);
            driver.settle();
            title = driver.require(QStringLiteral("openPanelTitle"))->property("text").toString();
            for (const QVariant& item : openPanel.items())
                rowsAtHome << item.toMap().value("name").toString();
            driver.doubleClick(driver.require(QStringLiteral("openPanelItem_Documents")));
            driver.click(QStringLiteral("openPanelItem_Projects"));
            driver.click(QStringLiteral("openPanelConfirm"));
            if (openPanel.active()) {
                ADD_FAILURE() << "the panel did not answer";
                openPanel.cancel();
            }
        },
        Qt::QueuedConnection);
    QQuickItem* folderRow = driver.require(QStringLiteral("folderRow"));
    driver.click(driver.require(QStringLiteral("menuValue"), folderRow));
    driver.click(QStringLiteral("menuItem_7")); // "Custom Folder…"
    run();

    EXPECT_EQ(title, "Select Folder");
    // The home folder first, its folders only.
    EXPECT_EQ(rowsAtHome, (QStringList{"Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures"}));
    EXPECT_EQ(driver.find(QStringLiteral("openPanel")), nullptr);
    EXPECT_EQ(driver.require(QStringLiteral("customFolderButton"))->isVisible(), true);
    EXPECT_EQ(model.editorModel()->actions()->property("customFolderButtonTitle").toString(), "Projects");
    EXPECT_EQ(model.editorModel()->actions()->property("folderTitle").toString(), "Projects");

    driver.click(QStringLiteral("saveRuleButton"));
    run();
    const std::vector<NimbrelRule>& rules = NimbrelRulesStore::shared().rules().get();
    ASSERT_EQ(rules.size(), 1u);
    ASSERT_FALSE(rules[0].actions.empty());
    const auto* folder = rules[0].actions[0].as<OpenFolderRuleAction>();
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->folder, (NimbrelFolderTarget{"Projects", "/Users/anna/Documents/Projects"}));
}

// A screen of the panel with the Mac's open panel and alerts drawn over it as the desktop draws
// them, for a person at the window to answer.
class ModalsOverAScreen : public ::testing::Test {
  protected:
    void show(NimbrelPanelScreen screen, const QString& file) {
        model = makeScreenModel(screen, env.platform);
        driver = std::make_unique<testing::QuickDriver>(file, QVariantMap{{"model", QVariant::fromValue(model.get())}},
                                                        QSize(700, 620));
        driver->add(QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/OpenPanelSheet.qml")),
                    {{"model", QVariant::fromValue<QObject*>(&openPanel)}});
        driver->add(QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/AlertSheet.qml")),
                    {{"model", QVariant::fromValue<QObject*>(&alert)}});
        env.simulated.alerts().setOpenPanelPresenter([this](const OpenPanelRequest& r) { return openPanel.run(r); });
        env.simulated.alerts().setModalLoop([this](const AlertRequest& r) { return alert.run(r); });
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    // What the person does once the next chooser or alert is up, inside its loop; that one (an
    // alert over a chooser, when both are) still up after it is closed, as a failure.
    void onceUp(std::function<void()> person) {
        auto done = std::make_shared<bool>(false);
        auto act = [this, person, done] {
            if (*done || (!openPanel.active() && !alert.active())) return;
            *done = true;
            const bool anAlert = alert.active();
            driver->settle();
            person();
            if (!anAlert && openPanel.active()) ADD_FAILURE() << "the chooser is still up", openPanel.cancel();
            if (anAlert && alert.active()) ADD_FAILURE() << "the alert is still up", alert.answer(0);
        };
        QObject::connect(&openPanel, &DesktopOpenPanel::changed, driver->root(), act, Qt::QueuedConnection);
        QObject::connect(&alert, &DesktopAlert::changed, driver->root(), act, Qt::QueuedConnection);
    }
    void press(Qt::Key key) {
        QTest::keyClick(&driver->window(), key);
        driver->settle();
    }
    // A file clicked in the chooser, in its folder (none: nothing).
    void pick(const QString& path) {
        if (path.isEmpty()) return;
        openPanel.goTo(QFileInfo(path).path());
        driver->settle();
        driver->click(QStringLiteral("openPanelItem_") + QFileInfo(path).fileName());
    }

    testing::UiTestPlatform env;
    DesktopOpenPanel openPanel{*env.platform.files};
    DesktopAlert alert;
    std::unique_ptr<QObject> model;
    std::unique_ptr<testing::QuickDriver> driver;
};

// Keys typed while the chooser or an alert is up are theirs, not the session name's beneath:
// Return or Enter presses the blue button (the chooser's only when it can be pressed), Escape
// cancels the chooser or presses an alert's "Cancel"; once it is answered, the name field has the
// keyboard again. So too when the keyboard went elsewhere while it was up: to the field beneath,
// or to an alert over the chooser.
TEST_F(ModalsOverAScreen, KeysGoToTheChooserOrAlertAndThenBackToTheField) {
    show(NimbrelPanelScreen::Sessions, QStringLiteral("SessionsView.qml"));
    driver->click(QStringLiteral("createSessionButton"));
    driver->click(QStringLiteral("sessionNameFieldInput"));
    driver->type(QStringLiteral("Deep Work"));
    const QString pictures = QStringLiteral("/Users/anna/Pictures/Wallpapers/");
    enum class Meanwhile { nothing, fieldBeneath, alertOver };
    const QStringList cancelInTheMiddle{"Save", "Cancel", "Don't Save"};
    const struct {
        const char* scene;
        bool alert;      // else the wallpaper row's chooser
        QString picture; // clicked in the chooser first
        Qt::Key key;     // after "XYZ"
        bool answered;   // else the key left it up, and Escape cancels it
        QString wallpaper;
        int alertAnswer = 0;                      // the button the alert's key pressed
        Meanwhile meanwhile = Meanwhile::nothing; // before "XYZ"
        QStringList buttons = {"OK", "Cancel"};
    } cases[] = {
        {"the chooser, Return", false, pictures + "Lake.jpg", Qt::Key_Return, true, "Lake.jpg"},
        {"the chooser, Enter", false, pictures + "Mountains.jpg", Qt::Key_Enter, true, "Mountains.jpg"},
        {"the chooser, Return with nothing chosen", false, "", Qt::Key_Return, false, "Mountains.jpg"},
        {"an alert, Return", true, "", Qt::Key_Return, true, "Mountains.jpg"},
        {"an alert, Escape", true, "", Qt::Key_Escape, true, "Mountains.jpg", 1},
        {"an alert whose Cancel is not its last button, Escape", true, "", Qt::Key_Escape, true, "Mountains.jpg", 1,
         Meanwhile::nothing, cancelInTheMiddle},
        {"the chooser, after the field beneath took the keyboard", false, pictures + "Lake.jpg", Qt::Key_Return, true,
         "Lake.jpg", 0, Meanwhile::fieldBeneath},
        {"the chooser, after an alert over it", false, pictures + "Mountains.jpg", Qt::Key_Return, true,
         "Mountains.jpg", 0, Meanwhile::alertOver},
    };
    QString name = QStringLiteral("Deep Work");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        bool upAfterKey = false;
        onceUp([&] {
            if (c.meanwhile == Meanwhile::fieldBeneath) {
                QMetaObject::invokeMethod(driver->require(QStringLiteral("sessionNameField")), "focusInput");
                driver->settle();
            } else if (c.meanwhile == Meanwhile::alertOver) {
                onceUp([&] {
                    driver->type(QStringLiteral("XYZ"));
                    press(Qt::Key_Escape);
                });
                EXPECT_EQ(
                    env.platform.alerts->runModal({QStringLiteral("Over"), {}, AlertStyle::warning, {"OK", "Cancel"}}),
                    kAlertFirstButtonReturn + 1);
            }
            driver->type(QStringLiteral("XYZ"));
            pick(c.picture);
            press(c.key);
            upAfterKey = openPanel.active() || alert.active();
            if (upAfterKey) press(Qt::Key_Escape);
        });
        if (c.alert) {
            EXPECT_EQ(env.platform.alerts->runModal({QStringLiteral("Alert"), {}, AlertStyle::warning, c.buttons}),
                      kAlertFirstButtonReturn + c.alertAnswer);
        } else {
            testing::clickInEditor(*driver, QStringLiteral("wallpaperButton"));
        }
        EXPECT_EQ(upAfterKey, !c.answered);
        EXPECT_EQ(driver->require(QStringLiteral("wallpaperSubtitle"))->property("text").toString(), c.wallpaper);
        driver->type(QStringLiteral("!"));
        name += '!';
        EXPECT_EQ(driver->require(QStringLiteral("sessionNameFieldInput"))->property("text").toString(), name);
    }
}

// No help tip shows while the chooser is up: not the account button's, which the click that
// opened the chooser had set going, nor when the pointer comes back over the button beneath it,
// also once an alert over the chooser has gone; after the chooser, a move and a rest show it again.
// A tip that is up goes when an alert comes, and a press that opens nothing cancels the tip it
// would have shown; neither comes back without a move. And the Mac's own pictures are pictures: a
// default wallpaper or one of the user's becomes the account image.
TEST_F(ModalsOverAScreen, NoHelpTipUnderAModalAndTheMacsPicturesBecomeTheAccountImage) {
    show(NimbrelPanelScreen::Settings, QStringLiteral("SettingsWC.qml"));
    QQuickWindow& window = driver->window();
    QQuickItem* button = driver->require(QStringLiteral("accountPicture"));
    ASSERT_TRUE(button);
    const QPoint onButton = button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint();
    const QPoint away(5, 600);
    const auto rest = [&] {
        env.scheduler.advance(1.5);
        driver->settle();
    };
    const auto tipShown = [&] { return driver->find(QStringLiteral("helpTip")) != nullptr; };
    const auto moveBackAndRest = [&] {
        QTest::mouseMove(&window, QPoint(600, 300));
        QTest::mouseMove(&window, onButton);
        rest();
    };
    const auto alertAnsweredWithReturn = [&] {
        env.platform.alerts->runModal({QStringLiteral("Alert"), {}, AlertStyle::warning, {"OK"}});
    };
    // The tip as it shows without a modal, so that none below means something.
    QTest::mouseMove(&window, onButton);
    rest();
    ASSERT_TRUE(tipShown());
    QTest::mouseMove(&window, away);

    const struct {
        const char* picture;
        bool alertOver; // raised while the chooser is up, and answered first
    } choices[] = {{"/System/Library/Desktop Pictures/Hello Blue.heic", false},
                   {"/Users/anna/Pictures/Wallpapers/Lake.jpg", true}};
    for (const auto& c : choices) {
        SCOPED_TRACE(c.picture);
        const std::optional<QByteArray> before = NimbrelSettingsStore::shared().customAccountImageData().get();
        onceUp([&] {
            rest();
            EXPECT_FALSE(tipShown()) << "the click's";
            if (c.alertOver) {
                onceUp([&] { press(Qt::Key_Return); });
                alertAnsweredWithReturn();
            }
            moveBackAndRest();
            EXPECT_FALSE(tipShown()) << "beneath the chooser";
            pick(QString::fromUtf8(c.picture));
            press(Qt::Key_Return);
        });
        // A move onto the button and a click at once, within the tip's moment.
        QTest::mouseMove(&window, onButton);
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, onButton);
        driver->settle();
        const std::optional<QByteArray> after = NimbrelSettingsStore::shared().customAccountImageData().get();
        ASSERT_TRUE(after && after != before);
        EXPECT_EQ(QImage::fromData(*after).size(), QSize(256, 256));
        moveBackAndRest();
        EXPECT_TRUE(tipShown()) << "once the chooser went";
        QTest::mouseMove(&window, away);
    }

    const struct {
        const char* scene;
        std::function<void()> onTheButton;
    } interruptions[] = {
        {"an alert raised while the tip is up",
         [&] {
             rest();
             ASSERT_TRUE(tipShown());
             // As it comes, before a frame in which Qt's hover would tell the tip too.
             std::optional<bool> tipAsItCame;
             const QMetaObject::Connection came = QObject::connect(&alert, &DesktopAlert::changed, [&] {
                 if (!tipAsItCame) tipAsItCame = tipShown();
             });
             onceUp([&] { press(Qt::Key_Return); });
             alertAnsweredWithReturn();
             QObject::disconnect(came);
             EXPECT_EQ(tipAsItCame, false) << "under the alert";
         }},
        {"a right-button click within the tip's moment",
         [&] { QTest::mouseClick(&window, Qt::RightButton, Qt::NoModifier, onButton); }},
    };
    for (const auto& row : interruptions) {
        SCOPED_TRACE(row.scene);
        QTest::mouseMove(&window, onButton);
        row.onTheButton();
        rest();
        EXPECT_FALSE(tipShown()) << "without a move";
        moveBackAndRest();
        EXPECT_TRUE(tipShown());
        QTest::mouseMove(&window, away);
    }
}

} // namespace
} // namespace nimbrel
