#include "ui/UiTestPlatform.h"
#include "ui/common/AppIcons.h"

#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(AppIcons, InitialsOfOneWordAndOfSeveral) {
    const std::pair<const char*, const char*> cases[] = {
        {"Safari", "Sa"}, {"iTerm", "IT"}, {"System Settings", "SS"}, {"google chrome canary", "GC"}, {"  ", ""}};
    for (const auto& [title, initials] : cases)
        EXPECT_EQ(appInitials(QString::fromLatin1(title)), QString::fromLatin1(initials)) << title;
}

// The blacklist lists an installed app by its name; the rules and sessions screens find its
// file. Either way the same app has one tile.
TEST(AppIcons, AnAppHasOneTileWhereverItIsShown) {
    testing::UiTestPlatform env;
    const QVariantMap listed = appTileIcon(QStringLiteral("Safari"), QString());
    const QVariantMap found =
        fileIcon(*env.platform.workspace, *env.platform.files, "/Applications/Safari.app").toVariant();
    EXPECT_EQ(listed.value("initials"), found.value("initials"));
    EXPECT_EQ(listed.value("tint"), found.value("tint"));
    EXPECT_NE(appTint(QStringLiteral("Safari")), appTint(QStringLiteral("Mail"))) << "apps differ by colour";

    // The picture is the Mac's own file, found within the Mac's folders; without one, initials.
    const QString picture = env.platform.files->realPath(found.value("iconPath").toString());
    EXPECT_EQ(found.value("source"), QUrl::fromLocalFile(picture).toString());
    ASSERT_TRUE(QFile::remove(picture));
    EXPECT_EQ(fileIcon(*env.platform.workspace, *env.platform.files, "/Applications/Safari.app").source, QString());
}

} // namespace
} // namespace nimbrel
