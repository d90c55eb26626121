#include "app/PanelRootViewModel.h"
#include "program/NimbrelProgram.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

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
    QTemporaryDir home;
    const QByteArray folders[][2] = {
        {"HOME", "/home"}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"}, {"XDG_RUNTIME_DIR", "/runtime"}};
    QList<QPair<QByteArray, QByteArray>> before;
    for (const auto& [name, folder] : folders) {
        before.append({name, qgetenv(name)});
        QDir().mkpath(home.path() + QString::fromLatin1(folder));
        qputenv(name, (home.path() + QString::fromLatin1(folder)).toLocal8Bit());
    }
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
    for (const auto& [name, value] : before)
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

} // namespace
} // namespace nimbrel
