#include "app/QmlSetup.h"
#include "app/QmlTestSupport.h"
#include "app/ScreenPreview.h"
#include "desktop/DesktopQml.h"
#include "desktop/DesktopViewModel.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/screens/ScreensHarness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace nimbrel {
namespace {

using testing::QmlWarnings;
using testing::settle;

// The desktop window's size on the virtual display of `scripts/run` (2560 x 784), where it
// lies at the top-left corner: every screen at the scale that fits.
const QSize kVirtualDisplayWindow(2560, 783);

// Every QML file of the desktop module loads and renders without a warning, over a default
// simulated Mac, with the shell's status item and panel hosted on it.
TEST(DesktopQml, EveryFileLoadsAndRendersWithoutWarnings) {
    VirtualScheduler scheduler{Date::fromUnix(1'800'000'000)};
    QTemporaryDir disk;
    sim::SimulatedPlatform simulated{scheduler, scheduler, disk.path()};
    DesktopViewModel desktop{simulated.mac(), scheduler};
    ScreenPreview preview;
    ASSERT_TRUE(preview.show(QStringLiteral("main")));
    const QStringList files =
        QDir(QStringLiteral(":/Nimbrel/Desktop")).entryList({QStringLiteral("*.qml")}, QDir::Files);
    ASSERT_GE(files.size(), 9) << "the desktop's QML files are not in the resources";

    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        preview.shell().removeStatusItem();
        preview.shell().installStatusItem();
        QmlWarnings warnings;
        {
            QQmlEngine engine;
            setUpQmlEngine(engine, preview.models());
            setUpDesktopQml(engine, &desktop);
            QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/") + file));
            std::unique_ptr<QObject> object(component.create());
            ASSERT_TRUE(object) << component.errorString().toStdString();
            QQuickWindow* window = qobject_cast<QQuickWindow*>(object.get());
            QQuickWindow host;
            if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
                host.resize(1200, 800);
                item->setParentItem(host.contentItem());
                if (item->width() <= 0) item->setSize(QSizeF(host.size()));
                host.show();
                window = &host;
            }
            ASSERT_TRUE(window);
            settle();
            EXPECT_FALSE(window->grabWindow().isNull());
        }
        EXPECT_TRUE(warnings.empty()) << warnings.text();
    }
}

// The whole desktop places the shell's status item in the primary screen's menu bar, where
// the shell reads its frame to hang the panel under it.
TEST(DesktopQml, MenuBarTellsTheShellWhereTheStatusItemIs) {
    VirtualScheduler scheduler{Date::fromUnix(1'800'000'000)};
    QTemporaryDir disk;
    sim::SimulatedPlatform simulated{scheduler, scheduler, disk.path()};
    DesktopViewModel desktop{simulated.mac(), scheduler};
    const sim::SimulatedMac& mac = simulated.mac();
    ShellController shell({[&mac] { return mac.primaryHeight(); }, {}, {}, {}, {}});
    ScreenPreview preview;
    QmlModels models = preview.models();
    models.shell = &shell;
    QQmlEngine engine;
    setUpQmlEngine(engine, models);
    setUpDesktopQml(engine, &desktop);
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/DesktopWindow.qml")));
    std::unique_ptr<QObject> window(component.create());
    ASSERT_TRUE(window) << component.errorString().toStdString();
    settle();
    // As at the program's start: the window first, then the delegate installs the item.
    shell.installStatusItem();
    settle();

    const std::optional<ScreenRect> button = shell.statusButtonFrame();
    ASSERT_TRUE(button);
    const Rect primary = mac.screens().front().frame;
    const Rect visible = mac.screens().front().visibleFrame;
    // In the Mac's coordinates: inside the menu bar strip above the visible frame, at the right.
    EXPECT_GE(button->y, visible.maxY() - 1);
    EXPECT_LE(button->y + button->height, primary.maxY() + 1);
    EXPECT_GT(button->x, primary.width() / 2);
    EXPECT_LE(button->x + button->width, primary.maxX());
}

// Without the desktop, the panel's own window shows the whole card at its margin, wherever the
// panel's frame lies on the Mac.
TEST(DesktopQml, PanelWindowShowsTheWholePanelAtItsMargin) {
    for (const ScreenRect& frame : {ScreenRect{24, 24, 360, 500}, ScreenRect{1300, 400, 360, 460}}) {
        SCOPED_TRACE(frame.x);
        ScreenPreview preview;
        ASSERT_TRUE(preview.show(QStringLiteral("main")));
        preview.shell().setPanelFrame(frame);
        QmlWarnings warnings;
        QQmlEngine engine;
        setUpQmlEngine(engine, preview.models());
        setUpDesktopQml(engine, nullptr);
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/PanelWindow.qml")));
        std::unique_ptr<QObject> object(component.create());
        auto* window = qobject_cast<QQuickWindow*>(object.get());
        ASSERT_TRUE(window) << component.errorString().toStdString();
        settle();

        QQuickItem* card = testing::ScreensHarness::find(window->contentItem(), QStringLiteral("panelCard"));
        ASSERT_TRUE(card);
        const QRectF onWindow = card->mapRectToScene(QRectF(0, 0, card->width(), card->height()));
        EXPECT_DOUBLE_EQ(onWindow.top(), 24);
        EXPECT_DOUBLE_EQ(onWindow.left(), 24);
        EXPECT_LE(onWindow.bottom(), window->height() - 24);
        EXPECT_TRUE(warnings.empty()) << warnings.text();
    }
}

// The desktop's view filling the harness's window of `size`, with the shell's status item.
struct DesktopViewOn {
    DesktopViewOn(testing::ScreensHarness& h, QSize size)
        : shell({[&h] { return h.mac.primaryHeight(); }, {}, {}, {}, {}}) {
        setUpQmlEngine(engine, {&shell, &h.glass, &h.hover});
        setUpDesktopQml(engine, &h.desktop);
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/DesktopView.qml")));
        view.reset(qobject_cast<QQuickItem*>(component.create()));
        error = component.errorString();
        if (!view) return;
        h.window.resize(size);
        view->setParentItem(h.window.contentItem());
        view->setSize(QSizeF(h.window.size()));
        h.window.show();
    }

    ShellController shell;
    QQmlEngine engine;
    std::unique_ptr<QQuickItem> view;
    QString error;
};

// A person at the desktop window, with the engine watching the Mac's mouse: a press held
// 0.6 s on the frontmost app's tile minimizes its windows and is no click to the Dock; a
// press and release in the same instant (as `xdotool click` sends them) on a minimized app
// that is not frontmost bring it back.
TEST(DesktopQml, PressesThroughTheWindowReachTheDockAndTheWindowsButtons) {
    testing::ScreensHarness h;
    DesktopViewOn desktop(h, QSize(1200, 800));
    ASSERT_TRUE(desktop.view) << desktop.error.toStdString();
    QQuickItem* view = desktop.view.get();
    h.settle();

    struct Case {
        QString tile;
        QString bundleId;
        double holdSeconds;
        int visibleAfter;
    };
    for (const Case& c : {Case{"Safari", sim::kSafariBundleId, 0.6, 0}, Case{"Mail", "com.apple.mail", 0, 1}}) {
        SCOPED_TRACE(c.tile.toStdString());
        const QVariantMap tile = h.tileNamed(c.tile);
        const Point centre = h.desktop.viewport().toView({tile["x"].toDouble() + tile["width"].toDouble() / 2,
                                                          tile["y"].toDouble() + tile["height"].toDouble() / 2});
        const QPoint at(qRound(centre.x), qRound(centre.y));
        if (c.holdSeconds > 0) {
            QTest::mousePress(&h.window, Qt::LeftButton, Qt::NoModifier, at);
            h.settle(c.holdSeconds);
            QTest::mouseRelease(&h.window, Qt::LeftButton, Qt::NoModifier, at);
        } else {
            QTest::mouseClick(&h.window, Qt::LeftButton, Qt::NoModifier, at);
        }
        h.settle(1.5);
        EXPECT_EQ(h.visibleWindows(h.mac.appWithBundleId(c.bundleId)->pid), c.visibleAfter);
    }

    // The front window's yellow button minimizes it, as a person minimizes one before a Dock click.
    QList<QQuickItem*> buttons;
    const std::function<void(QQuickItem*)> collect = [&](QQuickItem* item) {
        if (item->objectName() == "minimizeButton") buttons << item;
        for (QQuickItem* child : item->childItems())
            collect(child);
    };
    collect(view);
    ASSERT_FALSE(buttons.isEmpty());
    QQuickItem* window = buttons.last();
    while (window && !window->property("info").isValid())
        window = window->parentItem();
    ASSERT_TRUE(window);
    const QVariantMap info = window->property("info").toMap();
    const int pid = info["pid"].toInt();
    const int before = h.visibleWindows(pid);
    QTest::mouseClick(&h.window, Qt::LeftButton, Qt::NoModifier, buttons.last()->mapToScene(QPointF(6, 6)).toPoint());
    h.settle();
    EXPECT_TRUE(h.mac.window(pid, info["windowId"].toULongLong())->minimized);
    EXPECT_EQ(h.visibleWindows(pid), before - 1);
}

// What the README has a person type with xdotool: the steps of its line that presses at `point`
// ("411 758") and holds the button down, up to the line's description.
struct XdotoolStep {
    QString command;
    QStringList arguments;
};
QList<XdotoolStep> readmeXdotoolLine(const QString& point) {
    QFile readme(QStringLiteral(NIMBREL_README));
    if (!readme.open(QIODevice::ReadOnly)) return {};
    const QString prefix = QStringLiteral("xdotool mousemove ") + point + QLatin1Char(' ');
    for (const QString& line : QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'))) {
        const QString command = line.trimmed().section(QStringLiteral("  "), 0, 0);
        if (!command.startsWith(prefix) || !command.contains(QStringLiteral("mousedown"))) continue;
        static const QHash<QString, int> argumentCounts{
            {"mousemove", 2}, {"click", 1}, {"mousedown", 1}, {"mouseup", 1}, {"sleep", 1}};
        QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1);
        QList<XdotoolStep> steps;
        while (!words.isEmpty()) {
            const QString name = words.takeFirst();
            const int count = argumentCounts.value(name, -1);
            if (count < 0 || words.size() < count) return {};
            steps.append({name, words.mid(0, count)});
            words = words.mid(count);
        }
        return steps;
    }
    return {};
}

// The README's long press, typed as it says at the virtual display `scripts/run` makes, with
// the engine watching the Mac's mouse in virtual time. From a fresh start, System Settings in front, its line leaves
// both of Finder's windows minimized; the same line's press held alone only brings Finder forward.
TEST(DesktopQml, TheReadmesLongPressWorksAsWrittenFromAFreshStart) {
    const QList<XdotoolStep> line = readmeXdotoolLine(QStringLiteral("411 758"));
    ASSERT_FALSE(line.isEmpty()) << "no xdotool line holding the Finder tile in " NIMBREL_README;
    QList<XdotoolStep> pressAlone = line;
    while (!pressAlone.isEmpty() && pressAlone.first().command != "mousedown")
        pressAlone.removeFirst();
    pressAlone.prepend(line.first()); // where the pointer is

    const struct {
        const char* name;
        QList<XdotoolStep> steps;
        int finderWindowsMinimized;
    } cases[] = {{"the README's line", line, 2}, {"its press held alone", pressAlone, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ScreensHarness h;
        DesktopViewOn desktop(h, kVirtualDisplayWindow);
        ASSERT_TRUE(desktop.view) << desktop.error.toStdString();
        // As the program's first start leaves the Mac once the permission is granted in System
        // Settings, which it opened.
        h.desktop.openAccessibilitySettings();
        h.settle(1);
        const sim::App* finder = h.mac.appWithBundleId(QStringLiteral("com.apple.finder"));
        ASSERT_TRUE(finder);
        ASSERT_EQ(h.mac.app(h.mac.frontmostPid())->name, QStringLiteral("System Settings"));
        ASSERT_EQ(h.visibleWindows(finder->pid), 2);

        QPoint at;
        for (const XdotoolStep& step : c.steps) {
            if (step.command == "mousemove") {
                at = QPoint(step.arguments[0].toInt(), step.arguments[1].toInt());
                QTest::mouseMove(&h.window, at);
            } else if (step.command == "click") {
                // Press and release in the same instant, as xdotool sends them.
                QTest::mousePress(&h.window, Qt::LeftButton, Qt::NoModifier, at);
                QTest::mouseRelease(&h.window, Qt::LeftButton, Qt::NoModifier, at);
            } else if (step.command == "mousedown") {
                QTest::mousePress(&h.window, Qt::LeftButton, Qt::NoModifier, at);
            } else if (step.command == "mouseup") {
                QTest::mouseRelease(&h.window, Qt::LeftButton, Qt::NoModifier, at);
            } else {
                h.settle(step.arguments[0].toDouble());
            }
        }
        h.settle(1.5);
        EXPECT_EQ(h.mac.frontmostPid(), finder->pid);
        EXPECT_EQ(2 - h.visibleWindows(finder->pid), c.finderWindowsMinimized);
    }
}

} // namespace
} // namespace nimbrel
