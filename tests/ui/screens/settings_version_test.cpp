#include "app/PanelRootViewModel.h"
#include "program/NimbrelProgram.h"
#include "ui/TemporaryHome.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QQuickItem>
#include <QQuickWindow>

#include <gtest/gtest.h>

#include <chrono>

namespace nimbrel {
namespace {

QStringList shownTexts(QQuickItem* item) {
    QStringList texts;
    if (item->isVisible() && item->inherits("QQuickText")) texts << item->property("text").toString();
    for (QQuickItem* child : item->childItems())
        texts << shownTexts(child);
    return texts;
}

void runFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The program's own start-up makes the settings screen show the version of the build: the
// project's version in CMakeLists.txt, handed to this test by the build as well.
TEST(SettingsVersion, TheProgramsStartMakesTheSettingsScreenShowTheBuildsVersion) {
    testing::TemporaryHome home;
    const QString versionBefore = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion({});
    {
        NimbrelProgram program;
        ASSERT_TRUE(program.start());
        // The panel shows its screens once the permission is granted.
        runFor(std::chrono::milliseconds(300));
        program.desktop().setAccessibilityTrusted(true);
        runFor(std::chrono::milliseconds(1000));
        auto* root = qobject_cast<PanelRootViewModel*>(program.shell().panelContent());
        ASSERT_NE(root, nullptr);
        root->post(QStringLiteral("Nimbrel.showSettings"));
        runFor(std::chrono::milliseconds(900));
        const QStringList texts = shownTexts(program.desktopWindow()->contentItem());
        EXPECT_TRUE(texts.contains(QStringLiteral("Version " NIMBREL_PROJECT_VERSION)))
            << texts.join(" | ").toStdString();
        program.willTerminate();
    }
    QCoreApplication::setApplicationVersion(versionBefore);
}

} // namespace
} // namespace nimbrel
