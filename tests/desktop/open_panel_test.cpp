#include "desktop/DesktopOpenPanel.h"
#include "model/RulesStore.h"
#include "ui/QuickDriver.h"
#include "ui/UiTestPlatform.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RulesPreview.h"
#include "ui/rules/RulesViewModel.h"

#include <gtest/gtest.h>

#include <QDir>
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

} // namespace
} // namespace nimbrel
