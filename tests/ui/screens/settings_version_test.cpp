#include "platform/BuildVersion.h"
#include "ui/screens/ScreensHarness.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

QStringList shownTexts(QQuickItem* item) {
    QStringList texts;
    if (item->isVisible() && item->inherits("QQuickText")) texts << item->property("text").toString();
    for (QQuickItem* child : item->childItems())
        texts << shownTexts(child);
    return texts;
}

// After the programs' start-up step, the settings screen shows the version of the build: the
// project's version in CMakeLists.txt, handed to this test by the build as well.
TEST(SettingsVersion, TheSettingsScreenShowsTheBuildsVersion) {
    const QString before = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion({});
    applyBuildVersion();
    EXPECT_EQ(buildVersion(), QStringLiteral(NIMBREL_PROJECT_VERSION));
    {
        testing::ScreensHarness h;
        h.open("Nimbrel.showSettings");
        EXPECT_TRUE(shownTexts(h.window.contentItem()).contains(QStringLiteral("Version " NIMBREL_PROJECT_VERSION)))
            << shownTexts(h.window.contentItem()).join(" | ").toStdString();
    }
    QCoreApplication::setApplicationVersion(before);
}

} // namespace
} // namespace nimbrel
