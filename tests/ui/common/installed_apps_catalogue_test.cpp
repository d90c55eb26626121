#include "platform/simulated/SimPlist.h"
#include "support/QtPrinters.h"
#include "ui/UiTestPlatform.h"
#include "ui/common/InstalledAppsCatalogue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace nimbrel {
namespace {

using App = NimbrelInstalledApps::InstalledApp;

class CatalogueTest : public ::testing::Test {
  protected:
    // A bundle whose Info.plist holds exactly `info`.
    void bundle(const QString& path, const QVariantMap& info) {
        const QString contents = env.mac().realPath(path) + QStringLiteral("/Contents");
        QDir().mkpath(contents);
        QFile file(contents + QStringLiteral("/Info.plist"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(sim::writePlist(info));
    }
    const App* find(const std::vector<App>& apps, const QString& id) {
        for (const App& app : apps)
            if (app.id == id) return &app;
        return nullptr;
    }
    testing::UiTestPlatform env;
};

TEST_F(CatalogueTest, OneEntryPerIdentifierTheLaterFindAndWellKnownAppsWinning) {
    const QString id = QStringLiteral("CFBundleIdentifier");
    bundle("/Applications/Dup.app", {{id, "com.example.dup"}, {"CFBundleName", "Dup in Applications"}});
    bundle("/System/Applications/Dup.app", {{id, "com.example.dup"}, {"CFBundleName", "Dup in System"}});
    bundle("/System/Library/CoreServices/Applications/Safari.app",
           {{id, "com.apple.Safari"}, {"CFBundleName", "Old Safari"}});
    bundle("/Applications/NoId.app", {{"CFBundleName", "No Identifier"}});
    bundle("/Applications/Tools/Plain Tool.app", {{id, "com.example.plain"}});
    bundle("/Applications/Shown.app",
           {{id, "com.example.shown"}, {"CFBundleName", "Bundle"}, {"CFBundleDisplayName", "Display"}});

    const std::vector<App> apps = NimbrelInstalledApps::scanInstalledApps(env.platform);
    ASSERT_TRUE(find(apps, "com.example.dup"));
    EXPECT_EQ(find(apps, "com.example.dup")->displayName, "Dup in System");
    EXPECT_EQ(find(apps, "com.apple.Safari")->path, "/Applications/Safari.app"); // the workspace's Safari
    EXPECT_FALSE(std::any_of(apps.begin(), apps.end(), [](const App& a) { return a.displayName == "No Identifier"; }));
    EXPECT_EQ(find(apps, "com.example.plain")->displayName, "Plain Tool");
    EXPECT_EQ(find(apps, "com.example.shown")->displayName, "Display");
    EXPECT_EQ(find(apps, "com.apple.finder")->path, "/System/Library/CoreServices/Finder.app");
    for (size_t i = 1; i < apps.size(); ++i)
        EXPECT_LE(apps[i - 1].displayName.compare(apps[i].displayName, Qt::CaseInsensitive), 0);
}

TEST_F(CatalogueTest, ScansOnceOffTheMainThreadThenEveryInstanceStartsWithTheList) {
    auto first = NimbrelInstalledApps::create(env.platform);
    EXPECT_TRUE(first->isLoading().get());
    EXPECT_TRUE(first->apps().get().empty());
    EXPECT_FALSE(NimbrelInstalledApps::cachedApps());
    env.scheduler.runUntilIdle(); // the scan's result arrives on the main thread
    EXPECT_FALSE(first->isLoading().get());
    ASSERT_FALSE(first->apps().get().empty());
    ASSERT_TRUE(NimbrelInstalledApps::cachedApps());

    bundle("/Applications/Later.app", {{"CFBundleIdentifier", "com.example.later"}});
    auto second = NimbrelInstalledApps::create(env.platform);
    EXPECT_FALSE(second->isLoading().get());
    EXPECT_EQ(second->apps().get(), first->apps().get()); // no new scan in this run
}

TEST_F(CatalogueTest, DisplayNameRulesAndStableNameOrder) {
    const std::pair<const char*, const char*> names[] = {
        {"/Applications/My.app.Tool.app", "My.Tool"},
        {"/Applications/Thing", "Thing"},
    };
    for (const auto& [path, name] : names)
        EXPECT_EQ(NimbrelInstalledApps::displayName(env.platform, path, false), name) << path;

    std::vector<App> apps{{"b", "beta", "b", "/b"}, {"x", "Alpha", "x", "/x"}, {"y", "alpha", "y", "/y"}};
    NimbrelInstalledApps::sortedByName(apps);
    EXPECT_EQ(apps[0].id, "x");
    EXPECT_EQ(apps[1].id, "y");
    EXPECT_EQ(apps[2].id, "b");
}

} // namespace
} // namespace nimbrel
