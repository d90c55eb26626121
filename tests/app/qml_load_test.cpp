#include "app/MenuBarViewModel.h"
#include "app/OnboardingViewModel.h"
#include "app/PanelRootViewModel.h"
#include "app/QmlTestSupport.h"
#include "app/ScreenModels.h"
#include "app/ScreenPreview.h"
#include "desktop/PreviewMac.h"
#include "model/RulesStore.h"
#include "shell/ShellTestSupport.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/sessions/SessionsViewModel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QJSValue>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <functional>
#include <memory>

namespace nimbrel {
namespace {

QGuiApplication& application() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QCoreApplication::instance()
                                      ? static_cast<QGuiApplication*>(QCoreApplication::instance())
                                      : new QGuiApplication(argc, argv);
    return *app;
}

using testing::QmlWarnings;
using testing::settle;

// Every QML file of the module loads, shows and renders without a single warning.
TEST(QmlLoad, EveryFileLoadsAndRendersWithoutWarnings) {
    application();
    const QStringList files = QDir(QStringLiteral(":/Nimbrel/App")).entryList({QStringLiteral("*.qml")}, QDir::Files);
    ASSERT_GE(files.size(), 14) << "the module's QML files are not in the resources";

    ScreenPreview preview(makePreviewMac);
    ASSERT_TRUE(preview.show(QStringLiteral("main")));
    // The files that need a view model get the one they show.
    std::unique_ptr<QObject> root = preview.makeContent(PanelMode::Menu);
    std::unique_ptr<QObject> onboarding = preview.makeContent(PanelMode::Onboarding);
    QObject* menu = qobject_cast<PanelRootViewModel*>(root.get())->menu();
    ASSERT_TRUE(menu);
    std::unique_ptr<QObject> blacklist = makeScreenModel(NimbrelPanelScreen::Blacklist, Platform::current());
    std::unique_ptr<QObject> activity = makeScreenModel(NimbrelPanelScreen::Activity, Platform::current());
    std::unique_ptr<QObject> settings = makeScreenModel(NimbrelPanelScreen::Settings, Platform::current());
    std::unique_ptr<QObject> rules = makeScreenModel(NimbrelPanelScreen::Rules, Platform::current());
    auto* rulesModel = qobject_cast<RulesViewModel*>(rules.get());
    ASSERT_TRUE(rulesModel);
    rulesModel->editRule(NimbrelRulesStore::shared().rules().get().front().id.toString());
    std::unique_ptr<SessionsViewModel> sessions = preview.sessions()->makeViewModel();
    std::unique_ptr<SessionsViewModel> editing = preview.sessions()->makeViewModel();
    editing->editSession(editing->sortedSessions().front().id.toString());
    const QHash<QString, QObject*> models = {{"NimbrelPanelRootView.qml", root.get()},
                                             {"NimbrelMenuBarView.qml", menu},
                                             {"OnboardingView.qml", onboarding.get()},
                                             {"BlacklistView.qml", blacklist.get()},
                                             {"ActivityView.qml", activity.get()},
                                             {"SettingsWC.qml", settings.get()},
                                             {"RulesView.qml", rules.get()},
                                             {"RuleEditorView.qml", rulesModel->editor()},
                                             {"SessionsView.qml", sessions.get()},
                                             {"SessionEditorView.qml", editing->editor()}};

    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        QmlWarnings warnings;
        {
            QQmlEngine engine;
            setUpQmlEngine(engine, preview.models());
            QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/App/") + file));
            ASSERT_FALSE(component.isError()) << component.errorString().toStdString();
            QVariantMap initial;
            if (models.contains(file)) initial.insert("model", QVariant::fromValue(models.value(file)));
            std::unique_ptr<QObject> object(component.createWithInitialProperties(initial));
            ASSERT_TRUE(object) << component.errorString().toStdString();
            QQuickWindow window;
            if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
                window.resize(420, 520);
                item->setParentItem(window.contentItem());
                if (item->width() <= 0) item->setSize(QSizeF(360, 500));
                window.show();
                settle();
                EXPECT_FALSE(window.grabWindow().isNull());
            }
            settle();
        }
        EXPECT_TRUE(warnings.empty()) << warnings.text();
    }
}

// Switching through every screen and back renders without warnings too. Before, the idle
// preparation after the first frame lays the onboarding out off screen with a stand-in model:
// it must not warn (a stand-in missing what the view reads) nor leave an onboarding behind.
TEST(QmlLoad, ScreenSwitchesRenderWithoutWarnings) {
    application();
    ScreenPreview preview(makePreviewMac);
    ASSERT_TRUE(preview.show(QStringLiteral("main")));
    QmlWarnings warnings;
    {
        QQmlEngine engine;
        setUpQmlEngine(engine, preview.models());
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/App/NimbrelPanel.qml")));
        std::unique_ptr<QObject> object(component.create());
        ASSERT_TRUE(object) << component.errorString().toStdString();
        QQuickWindow window;
        window.resize(420, 560);
        qobject_cast<QQuickItem*>(object.get())->setParentItem(window.contentItem());
        window.show();
        settle();
        EXPECT_TRUE(object->property("prepared").value<QJSValue>().isObject());
        int onboardings = 0;
        std::function<void(QQuickItem*)> count = [&](QQuickItem* item) {
            onboardings += QString::fromLatin1(item->metaObject()->className()).startsWith("OnboardingView");
            for (QQuickItem* child : item->childItems()) count(child);
        };
        count(window.contentItem());
        EXPECT_EQ(onboardings, 0);
        for (const char* name :
             {"Nimbrel.showRules", "Nimbrel.showMainWindow", "Nimbrel.showBlacklist", "Nimbrel.showSessions",
              "Nimbrel.showActivity", "Nimbrel.showSettings", "Nimbrel.showMainWindow"}) {
            preview.notifications().post(QString::fromLatin1(name));
            settle();
        }
        preview.shell().setPanelContent(PanelMode::Onboarding);
        settle();
        preview.shell().setPanelContent(PanelMode::Menu);
        settle();
        // The pause menu open and a pause running.
        auto* rootModel = qobject_cast<PanelRootViewModel*>(preview.shell().panelContent());
        ASSERT_TRUE(rootModel);
        auto* menuModel = qobject_cast<MenuBarViewModel*>(rootModel->menu());
        ASSERT_TRUE(menuModel);
        menuModel->togglePauseMenu();
        settle();
        menuModel->choosePauseRow(0);
        settle();
        EXPECT_FALSE(window.grabWindow().isNull());
    }
    EXPECT_TRUE(warnings.empty()) << warnings.text();
}

// The onboarding through its states, as the user sees them: asking, waiting, granted.
TEST(QmlLoad, OnboardingFromAskingToGrantedRendersWithoutWarnings) {
    application();
    ScreenPreview preview;
    testing::ShellPlatform env;
    bool trusted = false;
    OnboardingViewModel::Hooks hooks;
    hooks.isProcessTrusted = [&trusted] { return trusted; };
    OnboardingViewModel model(env.platform, hooks);
    QmlWarnings warnings;
    {
        QQmlEngine engine;
        setUpQmlEngine(engine, preview.models());
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/App/OnboardingView.qml")));
        std::unique_ptr<QObject> object(
            component.createWithInitialProperties({{"model", QVariant::fromValue<QObject*>(&model)}}));
        ASSERT_TRUE(object) << component.errorString().toStdString();
        QQuickWindow window;
        window.resize(420, 520);
        qobject_cast<QQuickItem*>(object.get())->setParentItem(window.contentItem());
        window.show();
        settle();
        model.requestAccessibility(true);
        settle();
        EXPECT_EQ(model.statusLine(), QString::fromUtf8("Waiting for permission\u2026"));
        trusted = true;
        env.scheduler.advance(0.5);
        settle();
        EXPECT_EQ(model.footerTitle(), "Continue to Nimbrel");
        EXPECT_FALSE(window.grabWindow().isNull());
    }
    EXPECT_TRUE(warnings.empty()) << warnings.text();
}

// The main menu leaves to the leading edge and every other screen to the trailing edge,
// also when one of those screens replaces another.
TEST(QmlLoad, ScreensLeaveTowardsTheEdgeTheyCameFrom) {
    application();
    ScreenPreview preview(makePreviewMac);
    ASSERT_TRUE(preview.show(QStringLiteral("main")));
    QQmlEngine engine;
    setUpQmlEngine(engine, preview.models());
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/App/NimbrelPanelRootView.qml")));
    std::unique_ptr<QObject> root(
        component.createWithInitialProperties({{"model", QVariant::fromValue(preview.shell().panelContent())}}));
    ASSERT_TRUE(root) << component.errorString().toStdString();
    QObject* slide = root->findChild<QObject*>(QStringLiteral("screenSlide"));
    ASSERT_TRUE(slide);
    const double width = root->property("width").toDouble();

    const std::pair<const char*, double> steps[] = {{"Nimbrel.showRules", -width},
                                                    {"Nimbrel.showSettings", width},
                                                    {"Nimbrel.showMainWindow", width},
                                                    {"Nimbrel.showBlacklist", -width}};
    for (const auto& [name, leavingTo] : steps) {
        preview.notifications().post(QString::fromLatin1(name));
        EXPECT_EQ(slide->property("leavingTo").toDouble(), leavingTo) << name;
    }
}

} // namespace
} // namespace nimbrel
