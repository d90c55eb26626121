#include "FakeDesk.h"
#include "engine/AxReaders.h"
#include "engine/DockTitles.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

TEST(DockTitles, TrashTitlesAreToldByTheirNormalizedForm) {
    // Begins or ends with the word, whatever comes between: an app named "Trashy Reader" counts too.
    for (const char* title :
         {"Trash", "Open Trash", "Trash Full", "trash—empty", "  TRASH  ", "Trashy Reader", "My Trash"})
        EXPECT_TRUE(isTrashDockTitle(QString::fromUtf8(title))) << title;
    for (const char* title : {"Safari", "", "---", "Finder", "Untrashed Files"})
        EXPECT_FALSE(isTrashDockTitle(QString::fromUtf8(title))) << title;
    // Diacritics fold away before the test.
    EXPECT_TRUE(isTrashDockTitle(QStringLiteral("Trásh")));
}

TEST(DockTitles, NonApplicationTilesAreTheGalleryAndLaunchpad) {
    for (const char* title : {"Apps", "App Gallery", "Apps Gallery", "Show Apps", "Show Applications", "Launchpad",
                              "Show Launchpad", "launch pad"})
        EXPECT_TRUE(isNonApplicationDockItem(QString::fromUtf8(title))) << title;
    for (const char* title : {"Safari", "Application Support", "Launchpad Helper", ""})
        EXPECT_FALSE(isNonApplicationDockItem(QString::fromUtf8(title))) << title;
}

TEST(DockTitles, AppKeyIsBundleIdentifierElseBundlePath) {
    RunningApplication app;
    EXPECT_FALSE(appKeyFor(app).has_value());
    app.bundlePath = QStringLiteral("/Applications/Tool.app");
    EXPECT_EQ(appKeyFor(app), QStringLiteral("/Applications/Tool.app"));
    app.bundleIdentifier = QStringLiteral("com.example.tool");
    EXPECT_EQ(appKeyFor(app), QStringLiteral("com.example.tool"));
}

TEST(DockTitles, TileTitleMatchesNameFileNameOrLastIdentifierPart) {
    RunningApplication app;
    app.localizedName = QStringLiteral("Code");
    app.bundlePath = QStringLiteral("/Applications/Visual Studio Code.app");
    app.bundleIdentifier = QStringLiteral("com.microsoft.VSCodeInsiders");
    EXPECT_TRUE(applicationMatchesDockTitle(app, QStringLiteral("code")));
    EXPECT_TRUE(applicationMatchesDockTitle(app, QStringLiteral("visualstudiocode")));
    EXPECT_TRUE(applicationMatchesDockTitle(app, QStringLiteral("vscodeinsiders")));
    EXPECT_FALSE(applicationMatchesDockTitle(app, QStringLiteral("microsoft")));

    app.activationPolicy = ActivationPolicy::accessory;
    EXPECT_FALSE(applicationMatchesDockTitle(app, QStringLiteral("code")));

    RunningApplication bare; // no sources at all never matches a title
    EXPECT_FALSE(applicationMatchesDockTitle(bare, QStringLiteral("x")));
}

TEST(AxReaders, NormalizedPathExpandsTildeDecodesAndTrims) {
    const QString home = QStringLiteral("/Users/anna");
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral("~"), home), home);
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral("~/My%20Files/\n"), home),
              QStringLiteral("/Users/anna/My Files/"));
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral(" /Users/anna/Caf%C3%A9 "), home),
              QString::fromUtf8("/Users/anna/Café"));
    // A malformed escape keeps the text as it stands, also bytes that are not UTF-8.
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral("/tmp/100%"), home), QStringLiteral("/tmp/100%"));
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral("/tmp/%zz"), home), QStringLiteral("/tmp/%zz"));
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral("/tmp/%FF"), home), QStringLiteral("/tmp/%FF"));
    // "~other" is not this user's home.
    EXPECT_EQ(AxReaders::normalizedPath(QStringLiteral("~bob/x"), home), QStringLiteral("~bob/x"));
}

TEST(AxReaders, DocumentPathTakesAFileUrlsPathAndKeepsOtherText) {
    test::FakeDesk desk;
    const int pid = desk.addApp(QStringLiteral("com.example.editor"), QStringLiteral("Editor")).pid;
    const auto window = desk.addWindow(pid, QStringLiteral("w"));
    const auto documentOf = [&](std::optional<QString> document) {
        desk.window(window).document = std::move(document);
        return AxReaders::documentPath(desk, AXElement(window));
    };
    EXPECT_FALSE(documentOf(std::nullopt).has_value());
    EXPECT_FALSE(documentOf(QString()).has_value()); // empty text is no document
    EXPECT_EQ(documentOf(QStringLiteral("file:///Users/anna/My%20Notes.txt")),
              QStringLiteral("/Users/anna/My Notes.txt"));
    EXPECT_EQ(documentOf(QStringLiteral("/Users/anna/plain.txt")), QStringLiteral("/Users/anna/plain.txt"));
    // A folder's URL path has no trailing slash; the root keeps its one.
    EXPECT_EQ(documentOf(QStringLiteral("file:///Users/anna/Documents/")), QStringLiteral("/Users/anna/Documents"));
    EXPECT_EQ(documentOf(QStringLiteral("file:///")), QStringLiteral("/"));
    // A "file://" text that is no URL is used as it stands.
    EXPECT_EQ(documentOf(QStringLiteral("file://[bad")), QStringLiteral("file://[bad"));
}
