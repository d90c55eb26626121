#include "desktop/DesktopOpenPanel.h"
#include "model/RulesStore.h"
#include "ui/QuickDriver.h"
#include "ui/UiTestPlatform.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RulesPreview.h"
#include "ui/rules/RulesViewModel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

namespace nimbrel {
namespace {

// A small Mac disk: a home folder with folders, pictures, a text file, a hidden folder, an
// application bundle and a link.
class OpenPanelDisk : public ::testing::Test {
  protected:
    OpenPanelDisk() {
        for (const char* folder : {"Users/anna/Documents/Projects", "Users/anna/Pictures", "Users/anna/.cache",
                                   "Users/anna/Tools.app/Contents", "Applications"})
            QDir().mkpath(root.filePath(QString::fromLatin1(folder)));
        for (const char* file : {"Users/anna/Pictures/Lake.JPG", "Users/anna/Pictures/Sea.heic", "Users/anna/notes.txt",
                                 "Users/anna/Pictures/cover.png"}) {
            QFile f(root.filePath(QString::fromLatin1(file)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QFile::link(root.filePath("Users/anna/Documents"), root.filePath("Users/anna/Linked"));
    }
    QStringList names(const OpenPanelBrowser& browser) {
        QStringList out;
        for (const OpenPanelItem& item : browser.items())
            out << item.name + (item.isFolder ? "/" : "") + (item.choosable ? "" : " (off)");
        return out;
    }

    QTemporaryDir root;
    LocalFileSystem disk{root.path(), QStringLiteral("/Users/anna")};
};

TEST_F(OpenPanelDisk, ListsWhatTheRequestAsksFor) {
    OpenPanelRequest folders;
    folders.canChooseFiles = false;
    folders.canChooseDirectories = true;
    OpenPanelRequest pictures;
    pictures.allowedContentTypes = {"public.image"};
    OpenPanelRequest anyFile;
    struct Case {
        const char* what;
        OpenPanelRequest request;
        QString folder;
        QStringList rows;
    } cases[] = {
        // Folders only: no files, no application bundle, no hidden folder, no link.
        {"folders", folders, "/Users/anna", {"Documents/", "Pictures/"}},
        {"pictures", pictures, "/Users/anna/Pictures", {"cover.png", "Lake.JPG", "Sea.heic"}},
        {"files at home",
         pictures,
         "/Users/anna",
         {"Documents/ (off)", "notes.txt (off)", "Pictures/ (off)", "Tools.app (off)"}},
        {"any file", anyFile, "/Users/anna", {"Documents/ (off)", "notes.txt", "Pictures/ (off)", "Tools.app"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenPanelBrowser browser(disk, c.request);
        EXPECT_EQ(browser.folder(), "/Users/anna"); // the home folder first
        ASSERT_TRUE(browser.goTo(c.folder));
        EXPECT_EQ(names(browser), c.rows);
    }
}

TEST_F(OpenPanelDisk, StartsInTheRequestedFolderElseAtHome) {
    for (const auto& [directory, expected] : {std::pair{"~/Documents", "/Users/anna/Documents"},
                                              {"/Users/anna/Pictures/", "/Users/anna/Pictures"},
                                              {"/Users/anna/nowhere", "/Users/anna"},
                                              {"relative/path", "/Users/anna"}}) {
        OpenPanelRequest request;
        request.directory = QString::fromUtf8(directory);
        EXPECT_EQ(OpenPanelBrowser(disk, request).folder(), expected) << directory;
    }
    LocalFileSystem homeless{root.path(), QStringLiteral("/Users/nobody")};
    OpenPanelBrowser atRoot(homeless, {});
    EXPECT_EQ(atRoot.folder(), "/");
    EXPECT_EQ(atRoot.folderName(), "Macintosh HD");
    EXPECT_FALSE(atRoot.canGoUp());
}

TEST_F(OpenPanelDisk, TheButtonAnswersTheSelectionOrTheFolderShown) {
    OpenPanelRequest folders;
    folders.canChooseFiles = false;
    folders.canChooseDirectories = true;
    OpenPanelBrowser chooser(disk, folders);
    // Nothing selected: the folder shown is the answer.
    EXPECT_EQ(chooser.confirm().answer, QStringList{"/Users/anna"});
    ASSERT_TRUE(chooser.select("/Users/anna/Documents"));
    EXPECT_EQ(chooser.confirm().answer, QStringList{"/Users/anna/Documents"});
    EXPECT_FALSE(chooser.select("/Users/anna/notes.txt")); // not listed
    EXPECT_EQ(chooser.selection()->path, "/Users/anna/Documents");
    ASSERT_TRUE(chooser.goTo("/Users/anna/Documents/Projects"));
    EXPECT_FALSE(chooser.selection());
    ASSERT_TRUE(chooser.goUp());
    ASSERT_TRUE(chooser.goUp());
    EXPECT_EQ(chooser.folder(), "/Users/anna");
    EXPECT_FALSE(chooser.goTo("/Users/anna/notes.txt"));

    OpenPanelRequest pictures;
    pictures.allowedContentTypes = {"public.image"};
    OpenPanelBrowser picker(disk, pictures);
    // Folders cannot be chosen: nothing selected leaves the button off, a folder is entered.
    EXPECT_FALSE(picker.canConfirm());
    ASSERT_TRUE(picker.select("/Users/anna/Pictures"));
    EXPECT_FALSE(picker.confirm().answer);
    EXPECT_EQ(picker.confirm().enter, "/Users/anna/Pictures");
    EXPECT_FALSE(picker.select("/Users/anna/notes.txt")); // not an image
    ASSERT_TRUE(picker.goTo("/Users/anna/Pictures"));
    ASSERT_TRUE(picker.select("/Users/anna/Pictures/Sea.heic"));
    EXPECT_EQ(picker.confirm().answer, QStringList{"/Users/anna/Pictures/Sea.heic"});
}

TEST(OpenPanelTypes, FileNamesMatchExtensionsAndTypeIdentifiers) {
    struct Case {
        const char* name;
        QStringList types;
        bool allowed;
    } cases[] = {
        {"a.txt", {}, true},
        {"Photo.JPEG", {"public.jpeg"}, true},
        {"photo.jpg", {"public.png", "public.jpeg"}, true},
        {"photo.png", {"public.jpeg"}, false},
        {"scan.tiff", {"public.image"}, true},
        {"notes.md", {"md"}, true},
        {"notes.md", {".md"}, true},
        {"notes.md", {"public.plain-text"}, false},
        {"README", {"md"}, false},
        {".md", {"md"}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenPanelBrowser::hasAllowedType(QString::fromUtf8(c.name), c.types), c.allowed) << c.name;
}

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
