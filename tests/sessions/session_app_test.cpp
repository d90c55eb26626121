#include "platform/Workspace.h"
#include "sessions/MainBundle.h"
#include "sessions/SessionApp.h"
#include "support/QtPrinters.h"

#include <QDir>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

NimbrelSessionApp app(const QString& name, std::optional<QString> bundle = {}, std::optional<QString> path = {}) {
    return NimbrelSessionApp{Uuid::random(), name, std::move(bundle), std::move(path)};
}

TEST(SessionApp, IdentityKeys) {
    const QString home = QDir::homePath().toLower();
    const struct {
        NimbrelSessionApp app;
        QString key;
    } cases[] = {
        {app("Finder"), "bundle:com.apple.finder"},
        {app("finder.APP"), "bundle:com.apple.finder"},
        {app("Files", {}, QStringLiteral("/System/Library/CoreServices/Finder.app")), "bundle:com.apple.finder"},
        {app("X", QStringLiteral("COM.APPLE.FINDER")), "bundle:com.apple.finder"},
        {app("Stuff", {}, QStringLiteral("/Volumes/Old/Finder.app/")), "bundle:com.apple.finder"},
        {app("Apps", {}, {}), "path:/Applications"},
        {app("My Apps", {}, QStringLiteral("/Applications/./")), "path:/Applications"},
        {app("applications"), "path:/Applications"},
        {app("Tool", QStringLiteral("  Com.Example.App  ")), "bundle:com.example.app"},
        {app("Tool", QStringLiteral("   "), QStringLiteral("~/Applications/Tool.app")),
         "path:" + home + "/applications/tool.app"},
        {app("Tool", {}, QStringLiteral("/Applications/Sub/../Tool.APP")), "path:/applications/tool.app"},
        {app("  Some Tool "), "name:some tool"},
        {app("Launchpad", QStringLiteral("com.apple.launchpad.launcher")), "bundle:com.apple.launchpad.launcher"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.app.identityKey(), c.key) << c.app.displayName.toStdString();
}

TEST(SessionApp, SystemDockItems) {
    EXPECT_TRUE(app("Finder").isSystemDockItem());
    EXPECT_TRUE(app("Apps", {}, QStringLiteral("/Applications")).isSystemDockItem());
    EXPECT_TRUE(app("L", QStringLiteral("com.apple.launchpad.launcher")).isSystemDockItem());
    EXPECT_FALSE(app("Safari", QStringLiteral("com.apple.Safari")).isSystemDockItem());
    // The folder test compares the path with its case.
    EXPECT_FALSE(app("Stuff", {}, QStringLiteral("/applications")).isApplicationsFolder());
}

TEST(SessionApp, NormalisingTrimsDropsEmptiesAndMakesOneFinder) {
    const NimbrelSessionApp plain =
        NimbrelSessionApp::normalizing(QStringLiteral("  "), QStringLiteral(" "), QStringLiteral(" ~/Tool.app "));
    EXPECT_EQ(plain.displayName, "Unknown App");
    EXPECT_EQ(plain.bundleIdentifier, std::nullopt);
    EXPECT_EQ(plain.path, QStringLiteral("~/Tool.app"));

    const auto kept = deduplicatedApps(
        {app("Finder"), app("Files", {}, QStringLiteral("/System/Library/CoreServices/Finder.app")),
         app("X", QStringLiteral("COM.APPLE.FINDER")), app("Safari", QStringLiteral("com.apple.Safari")),
         app("Safari 2", QStringLiteral("Com.Apple.Safari "))});
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].displayName, "Finder");
    EXPECT_EQ(kept[0].bundleIdentifier, QStringLiteral("com.apple.finder"));
    EXPECT_EQ(kept[0].path, std::nullopt);
    EXPECT_EQ(kept[1].displayName, "Safari");
}

} // namespace
} // namespace nimbrel

namespace nimbrel {
namespace {

TEST(MainBundle, TheProgramIsKnownByItsProcessIdentifierLocationOrAnyOfItsNames) {
    NimbrelMainBundle bundle = NimbrelMainBundle::current();
    bundle.bundlePath = QStringLiteral("/Applications/Nimbrel.app");
    bundle.bundleDisplayName = QStringLiteral("Nimbrel Focus");
    const struct {
        RunningApplication app;
        bool isProgram;
    } cases[] = {
        {RunningApplication{402, {}, {}, "Mail"}, true}, // the workspace's word
        {RunningApplication{7, bundle.bundleIdentifier, {}, "Mail"}, true},
        {RunningApplication{7, {}, "/Applications/./Nimbrel.app/", "Mail"}, true},
        {RunningApplication{7, {}, {}, "NIMBREL"}, true},
        {RunningApplication{7, {}, {}, "nimbrel focus"}, true},
        {RunningApplication{7, "com.other", "/Applications/Mail.app", "Mail"}, false},
        {RunningApplication{7, {}, {}, "Nimbrel Helper"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bundle.isCurrentApplication(c.app, 402), c.isProgram) << c.app.localizedName->toStdString();
}

} // namespace
} // namespace nimbrel
