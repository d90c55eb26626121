#pragma once

#include "app/GlassStyle.h"
#include "app/HoverGeometry.h"
#include "app/PanelRootViewModel.h"
#include "app/QmlSetup.h"
#include "app/ScreenModels.h"
#include "app/SharedEngineControl.h"
#include "desktop/DesktopViewModel.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/QuickDriver.h"

#include <QCoreApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace nimbrel::testing {

// The panel's root view over a default simulated Mac, with the real engine watching the
// Mac's mouse: screens open as they do in the program and are driven through their items.
class ScreensHarness {
  public:
    ScreensHarness() {
        setLogToStdout(false);
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(disk.path() + "/program");
        simulated.fill(platform);
        engine.startMonitoring();

        PanelRootViewModel::Stores stores;
        stores.makeScreenModel = [this](NimbrelPanelScreen screen) { return makeScreenModel(screen, platform); };
        root = std::make_unique<PanelRootViewModel>(notifications, std::move(stores));
        setUpQmlEngine(qml, {nullptr, &glass, &hover});
    }
    ~ScreensHarness() {
        view.reset();
        root.reset();
        resetSharedInstances();
        setLogToStdout(true);
    }

    // Shows the panel's root view on a screen ("Nimbrel.showSettings", ...).
    void open(const char* notification) {
        notifications.post(QString::fromLatin1(notification));
        if (!view) {
            QQmlComponent component(&qml, QUrl(QStringLiteral("qrc:/Nimbrel/App/NimbrelPanelRootView.qml")));
            view.reset(qobject_cast<QQuickItem*>(
                component.createWithInitialProperties({{"model", QVariant::fromValue<QObject*>(root.get())}})));
            if (!view) qWarning() << component.errorString();
            window.resize(360, 500);
            view->setParentItem(window.contentItem());
            window.show();
        }
        settle();
    }
    // Lets the event loop and a little virtual time run: posted steps, bindings, and a frame,
    // which lays out the lists.
    void settle(double seconds = 0.6) {
        for (double t = 0; t < seconds; t += 0.05) {
            scheduler.advance(0.05);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCoreApplication::processEvents();
        if (view) window.grabWindow();
    }
    // An item of the view by its object name, searched along the visual tree (list delegates
    // belong to their views, not to the screen's objects).
    QQuickItem* item(const QString& objectName) const { return find(window.contentItem(), objectName); }
    static QQuickItem* find(QQuickItem* from, const QString& objectName) {
        if (from->objectName() == objectName) return from;
        for (QQuickItem* child : from->childItems())
            if (QQuickItem* found = find(child, objectName)) return found;
        return nullptr;
    }
    // A press and release in the middle of an item, as the pointer would give them.
    void click(QQuickItem* target) {
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        settle();
    }
    // A press, a drag in small steps and a release, as a finger on the trackpad would scroll.
    void drag(QPointF from, QPointF to) {
        QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, from.toPoint());
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(&window, (from + (to - from) * step / 10.0).toPoint(), 5);
        QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, to.toPoint(), 400);
        settle();
    }
    // The mouse wheel turned over the middle of an item by `notches` (positive: towards the end).
    void wheel(QQuickItem* target, int notches) {
        turnWheel(window, target->mapToScene(QPointF(target->width() / 2, target->height() / 2)), notches);
        settle();
    }
    void type(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(&window, c.toLatin1());
        settle();
    }

    // The Dock tile of an application, pressed and released on the simulated Mac.
    QVariantMap tileNamed(const QString& title) const {
        for (const QVariant& t : desktop.dockTiles())
            if (t.toMap().value("title") == title) return t.toMap();
        return {};
    }
    void tapTile(const QVariantMap& tile) {
        const double x = tile.value("x").toDouble() + tile.value("width").toDouble() / 2;
        const double y = tile.value("y").toDouble() + tile.value("height").toDouble() / 2;
        desktop.mousePressed(x, y);
        scheduler.advance(0.05);
        desktop.mouseReleased(x, y);
        scheduler.advance(1.5);
    }
    int visibleWindows(int pid) const {
        const sim::App* app = mac.app(pid);
        return app ? int(std::count_if(app->windows.begin(), app->windows.end(),
                                       [](const sim::Window& w) { return !w.minimized; }))
                   : 0;
    }
    // A running application in the Dock with exactly one window that is not frontmost.
    const sim::App* singleWindowApp() const {
        for (const sim::App& app : mac.apps())
            if (app.pid != mac.frontmostPid() && app.windows.size() == 1 && !app.bundleIdentifier.isEmpty() &&
                !tileNamed(app.name).isEmpty())
                return &app;
        return nullptr;
    }

    VirtualScheduler scheduler{Date::fromUnix(1'800'000'000)};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    QTemporaryDir disk;
    sim::SimulatedPlatform simulated{scheduler, scheduler, disk.path() + "/mac"};
    sim::SimulatedMac& mac = simulated.mac();
    Platform platform;
    ScopedPlatform installed{platform};
    SharedEngineControl engine{platform};
    DesktopViewModel desktop{mac, scheduler};
    GlassStyle glass{notifications, [] { return false; }, [] { return 14; }};
    HoverGeometry hover;
    std::unique_ptr<PanelRootViewModel> root;
    QQmlEngine qml;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> view;
};

} // namespace nimbrel::testing
