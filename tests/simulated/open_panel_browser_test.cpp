#include "platform/simulated/OpenPanelBrowser.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace nimbrel::sim {
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
    // Up from a folder at the top of the disk is the disk itself.
    for (const char* top : {"/Users", "/Applications"}) {
        ASSERT_TRUE(chooser.goTo(QString::fromLatin1(top)));
        chooser.goUp();
        EXPECT_EQ(chooser.folder(), "/") << top;
    }

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

} // namespace
} // namespace nimbrel::sim
