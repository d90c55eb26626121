#include "model/AppTree.h"
#include "model/ApplicationFolderWalk.h"
#include "model/InstalledAppScan.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using testing::AppTree;
using testing::TreeWorkspace;

class InstalledAppScanTest : public ::testing::Test {
  protected:
    AppTree tree;
    TreeWorkspace workspace{tree.files};
    InstalledAppScan scan{tree.files, workspace};

    const InstalledApp* find(const std::vector<InstalledApp>& apps, const QString& id) {
        for (const InstalledApp& app : apps)
            if (app.id == id) return &app;
        return nullptr;
    }
};

TEST_F(InstalledAppScanTest, WalkFindsBundlesInSubfoldersButNeverInsideBundles) {
    tree.makeApp(QStringLiteral("/Apps/A.app"), QStringLiteral("com.a"));
    tree.makeApp(QStringLiteral("/Apps/A.app/Contents/Helpers/Nested.app"), QStringLiteral("com.nested"));
    tree.makeApp(QStringLiteral("/Apps/Tools/B.app"), QStringLiteral("com.b"));
    tree.makeApp(QStringLiteral("/Apps/Tools/Deeper/More/C.app"), QStringLiteral("com.c"));
    tree.makeApp(QStringLiteral("/Apps/Plugins.bundle/Inside.app"), QStringLiteral("com.inside"));

    EXPECT_EQ(scanApplicationFolder(tree.files, QStringLiteral("/Apps")),
              (QStringList{QStringLiteral("/Apps/A.app"), QStringLiteral("/Apps/Tools/B.app"),
                           QStringLiteral("/Apps/Tools/Deeper/More/C.app")}));
}

TEST_F(InstalledAppScanTest, WalkSkipsHiddenEntriesUpperCaseExtensionsAndLinkedFolders) {
    tree.makeApp(QStringLiteral("/Apps/Shown.app"), QStringLiteral("com.shown"));
    tree.makeApp(QStringLiteral("/Apps/.Hidden.app"), QStringLiteral("com.hidden"));
    tree.makeApp(QStringLiteral("/Apps/.cache/InHidden.app"), QStringLiteral("com.inhidden"));
    tree.makeApp(QStringLiteral("/Apps/Loud.APP"), QStringLiteral("com.loud"));
    tree.makeApp(QStringLiteral("/Elsewhere/Linked.app"), QStringLiteral("com.linked"));
    ASSERT_TRUE(tree.link(QStringLiteral("/Elsewhere"), QStringLiteral("/Apps/LinkToElsewhere")));
    // A link back to the folder itself would loop forever if links were followed.
    ASSERT_TRUE(tree.link(QStringLiteral("/Apps"), QStringLiteral("/Apps/Loop")));

    EXPECT_EQ(scanApplicationFolder(tree.files, QStringLiteral("/Apps")),
              QStringList{QStringLiteral("/Apps/Shown.app")});
}

TEST_F(InstalledAppScanTest, WalkOfAMissingOrPlainFileRootYieldsNothing) {
    tree.writeFile(QStringLiteral("/NotAFolder"), "x");
    EXPECT_TRUE(scanApplicationFolder(tree.files, QStringLiteral("/Nowhere")).isEmpty());
    EXPECT_TRUE(scanApplicationFolder(tree.files, QStringLiteral("/NotAFolder")).isEmpty());
}

TEST_F(InstalledAppScanTest, DisplayNameFollowsTheInfoPlistChain) {
    tree.makeBundle(QStringLiteral("/Applications/Both.app"),
                    {{QStringLiteral("CFBundleDisplayName"), QStringLiteral("Shown Name")},
                     {QStringLiteral("CFBundleName"), QStringLiteral("Bundle Name")}});
    tree.makeBundle(QStringLiteral("/Applications/EmptyDisplay.app"),
                    {{QStringLiteral("CFBundleDisplayName"), QString()},
                     {QStringLiteral("CFBundleName"), QStringLiteral("Short")}});
    tree.makeBundle(QStringLiteral("/Applications/WrongType.app"),
                    {{QStringLiteral("CFBundleDisplayName"), qint64(7)}});
    tree.makeBundle(QStringLiteral("/Applications/Neither.app"), {});

    EXPECT_EQ(scan.appDisplayName(QStringLiteral("/Applications/Both.app"), true), QStringLiteral("Shown Name"));
    EXPECT_EQ(scan.appDisplayName(QStringLiteral("/Applications/EmptyDisplay.app"), true), QStringLiteral("Short"));
    EXPECT_EQ(scan.appDisplayName(QStringLiteral("/Applications/WrongType.app"), true), QStringLiteral("WrongType"));
    EXPECT_EQ(scan.appDisplayName(QStringLiteral("/Applications/Neither.app"), true), QStringLiteral("Neither"));
    // Without an opened bundle only the file name counts.
    EXPECT_EQ(scan.appDisplayName(QStringLiteral("/Applications/Both.app"), false), QStringLiteral("Both"));
}

TEST_F(InstalledAppScanTest, ScanKeysByIdentifierOrPathAndSortsByName) {
    tree.makeApp(QStringLiteral("/Applications/gamma.app"), QStringLiteral("com.example.gamma"));
    tree.makeApp(QStringLiteral("/Applications/Alpha.app"), QStringLiteral("com.example.alpha"));
    tree.makeApp(QStringLiteral("/Users/user/Applications/beta.app"), QStringLiteral("com.example.beta"));
    tree.makeBundle(QStringLiteral("/Applications/NoPlist.app"), {}, /*withPlist=*/false);
    tree.writeFile(QStringLiteral("/Applications/Broken.app"), "not a bundle");

    const std::vector<InstalledApp> apps = scan.scanInstalledApplications();
    QStringList names;
    for (const InstalledApp& app : apps)
        names << app.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Broken"),
                                  QStringLiteral("gamma"), QStringLiteral("NoPlist")}));

    const InstalledApp* alpha = find(apps, QStringLiteral("com.example.alpha"));
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->bundleIdentifier, QStringLiteral("com.example.alpha"));
    EXPECT_EQ(alpha->url, QStringLiteral("/Applications/Alpha.app"));
    EXPECT_FALSE(alpha->icon.imagePath.isEmpty());

    const InstalledApp* noPlist = find(apps, QStringLiteral("/Applications/NoPlist.app"));
    ASSERT_NE(noPlist, nullptr);
    EXPECT_EQ(noPlist->bundleIdentifier, std::nullopt);
    const InstalledApp* broken = find(apps, QStringLiteral("/Applications/Broken.app"));
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->bundleIdentifier, std::nullopt);

    for (const InstalledApp& app : apps) {
        EXPECT_EQ(app.icon.width, 40);
        EXPECT_EQ(app.icon.height, 40);
    }
    EXPECT_EQ(workspace.iconRequests, 5); // one icon per bundle
}

TEST_F(InstalledAppScanTest, BundlesSharingAnIdentifierGiveOneEntryTheLastFound) {
    tree.makeApp(QStringLiteral("/Applications/Safari.app"), QStringLiteral("com.apple.Safari"), QStringLiteral("Old"));
    tree.makeApp(QStringLiteral("/System/Cryptexes/App/System/Applications/Safari.app"),
                 QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"));

    const std::vector<InstalledApp> apps = scan.scanInstalledApplications();
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps[0].url, QStringLiteral("/System/Cryptexes/App/System/Applications/Safari.app"));
    EXPECT_EQ(apps[0].name, QStringLiteral("Safari"));
}

TEST_F(InstalledAppScanTest, OverlappingRootsAndWellKnownAppsAreScannedOnce) {
    tree.makeApp(QStringLiteral("/System/Applications/Utilities/Terminal.app"), QStringLiteral("com.apple.Terminal"));
    tree.makeApp(QStringLiteral("/System/Library/CoreServices/Finder.app"), QStringLiteral("com.apple.finder"));
    tree.makeApp(QStringLiteral("/Opt/Elsewhere/Mail.app"), QStringLiteral("com.apple.mail"));
    workspace.applicationsById[QStringLiteral("com.apple.mail")] = QStringLiteral("/Opt/Elsewhere/Mail.app");
    workspace.applicationsById[QStringLiteral("com.apple.Terminal")] =
        QStringLiteral("/System/Applications/Utilities/Terminal.app");

    EXPECT_EQ(scan.addWellKnownApps(), (QStringList{QStringLiteral("/Opt/Elsewhere/Mail.app"),
                                                    QStringLiteral("/System/Applications/Utilities/Terminal.app"),
                                                    QStringLiteral("/System/Library/CoreServices/Finder.app")}));

    const std::vector<InstalledApp> apps = scan.scanInstalledApplications();
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_NE(find(apps, QStringLiteral("com.apple.mail")), nullptr); // found only through the workspace
    EXPECT_EQ(workspace.iconRequests, 3);
}

TEST_F(InstalledAppScanTest, SearchRootsIncludeTheUsersApplicationsFolderOnce) {
    QStringList roots = scan.applicationSearchRoots();
    EXPECT_EQ(roots.size(), 8);
    EXPECT_EQ(roots.first(), QStringLiteral("/Applications"));
    EXPECT_EQ(roots.last(), QStringLiteral("/Users/user/Applications"));
    EXPECT_EQ(roots.removeDuplicates(), 0);
}

TEST_F(InstalledAppScanTest, HostileInfoPlistsNeitherCrashNorNameTheApp) {
    QByteArray deep = "<plist><dict><key>CFBundleIdentifier</key>";
    for (int i = 0; i < 200000; ++i)
        deep += "<array>";
    for (int i = 0; i < 200000; ++i)
        deep += "</array>";
    deep += "</dict></plist>";
    tree.makeBundle(QStringLiteral("/Applications/Deep.app"), {}, /*withPlist=*/false);
    tree.writeFile(QStringLiteral("/Applications/Deep.app/Contents/Info.plist"), deep);
    tree.makeBundle(QStringLiteral("/Applications/Garbage.app"), {}, /*withPlist=*/false);
    tree.writeFile(QStringLiteral("/Applications/Garbage.app/Contents/Info.plist"),
                   QByteArray("\x00\xff<plist><dict>", 16));
    tree.makeBundle(QStringLiteral("/Applications/Odd.app"),
                    {{QStringLiteral("CFBundleIdentifier"), QVariantList{QStringLiteral("not text")}},
                     {QStringLiteral("CFBundleDisplayName"), QStringLiteral("../../etc/passwd; rm -rf ~")}});

    const std::vector<InstalledApp> apps = scan.scanInstalledApplications();
    ASSERT_EQ(apps.size(), 3u);
    const InstalledApp* deepApp = find(apps, QStringLiteral("/Applications/Deep.app"));
    ASSERT_NE(deepApp, nullptr);
    EXPECT_EQ(deepApp->name, QStringLiteral("Deep"));
    EXPECT_NE(find(apps, QStringLiteral("/Applications/Garbage.app")), nullptr);
    const InstalledApp* odd = find(apps, QStringLiteral("/Applications/Odd.app"));
    ASSERT_NE(odd, nullptr);                                            // an identifier that is not text counts as none
    EXPECT_EQ(odd->name, QStringLiteral("../../etc/passwd; rm -rf ~")); // only ever shown, never run
}

TEST(InstalledAppScanOnTheSimulatedMac, FindsTheDesktopsApplicationsThroughItsWorkspace) {
    QTemporaryDir folder;
    VirtualScheduler scheduler;
    sim::SimulatedPlatform mac(scheduler, scheduler, folder.path());
    const std::vector<InstalledApp> apps = InstalledAppScan(mac.files(), mac.workspace()).scanInstalledApplications();
    auto named = [&](const QString& id) -> QString {
        for (const InstalledApp& app : apps)
            if (app.id == id) return app.name;
        return QStringLiteral("<missing>");
    };
    EXPECT_EQ(named(QStringLiteral("com.apple.Safari")), QStringLiteral("Safari"));
    EXPECT_EQ(named(QStringLiteral("com.apple.Terminal")), QStringLiteral("Terminal"));
    EXPECT_EQ(named(QStringLiteral("com.apple.mail")), QStringLiteral("Mail"));
    for (const InstalledApp& app : apps) {
        EXPECT_TRUE(app.bundleIdentifier.has_value()) << app.url.toStdString();
        EXPECT_EQ(app.icon.width, 40);
    }
}

TEST_F(InstalledAppScanTest, AnEmptyDiskGivesAnEmptyList) {
    EXPECT_TRUE(scan.scanInstalledApplications().empty());
}

} // namespace
} // namespace nimbrel
