#include "app/AppShell.h"
#include "app/QmlSetup.h"
#include "app/QmlTestSupport.h"
#include "app/ScreenModels.h"
#include "app/ScreenPreview.h"
#include "desktop/DesktopQml.h"
#include "desktop/DesktopViewModel.h"
#include "platform/Log.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/UiTestPlatform.h"
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

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>

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

// What the README has a person type with xdotool: each of its lines (up to the line's
// description) as steps, in the README's order.
struct XdotoolStep {
    QString command;
    QStringList arguments;
};
using XdotoolLine = QList<XdotoolStep>;
QList<XdotoolLine> readmeXdotoolLines() {
    QFile readme(QStringLiteral(NIMBREL_README));
    if (!readme.open(QIODevice::ReadOnly)) return {};
    static const QHash<QString, int> argumentCounts{
        {"mousemove", 2}, {"click", 1}, {"mousedown", 1}, {"mouseup", 1}, {"sleep", 1}};
    QList<XdotoolLine> lines;
    for (const QString& text : QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'))) {
        const QString command = text.trimmed().section(QStringLiteral("  "), 0, 0);
        if (!command.startsWith(QStringLiteral("xdotool "))) continue;
        QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1);
        XdotoolLine steps;
        while (!words.isEmpty()) {
            const QString name = words.takeFirst();
            const int count = argumentCounts.value(name, -1);
            if (count < 0 || words.size() < count) return {}; // a step this test cannot type
            steps.append({name, words.mid(0, count)});
            words = words.mid(count);
        }
        lines.append(steps);
    }
    return lines;
}

// The program as its first start leaves it, in virtual time: a simulated Mac that has never run
// Nimbrel (so without the permission), the shell launched with its delegate and parts, and the
// desktop's view in a window the size of the one `scripts/run` opens on its virtual display.
struct FreshStart {
    FreshStart() {
        setLogToStdout(false);
        env.platform.userNotifications = &userNotifications; // the sessions store's reminders
        env.mac().setTrusted(false);
        AppShell::Hooks hooks;
        hooks.terminate = [] {};
        hooks.exitProcess = [](int) {};
        hooks.trustPromptShown = [this] { desktop.openAccessibilitySettings(); };
        hooks.makeScreenModel = [this](NimbrelPanelScreen screen) { return makeScreenModel(screen, env.platform); };
        app = std::make_unique<AppShell>(env.platform, std::move(hooks));
        setUpQmlEngine(qml, {&app->shell(), &glass, &hover});
        setUpDesktopQml(qml, &desktop);
        QQmlComponent component(&qml, QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/DesktopView.qml")));
        view.reset(qobject_cast<QQuickItem*>(component.create()));
        error = component.errorString();
        if (!view) return;
        window.resize(kVirtualDisplayWindow);
        view->setParentItem(window.contentItem());
        view->setSize(QSizeF(window.size()));
        window.show();
        settle(0.1);
        app->launch(); // as the program does, once its window is up
        settle(1.5);
    }
    ~FreshStart() {
        // The items the view's QML deleted later go while the engine stands, or their animations
        // would run on without it.
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        setLogToStdout(true);
    }

    void settle(double seconds) {
        for (double t = 0; t < seconds; t += 0.05) {
            env.scheduler.advance(0.05);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCoreApplication::processEvents();
        window.grabWindow();
    }
    // The line's steps as xdotool sends them, then a moment for what they set off.
    void type(const XdotoolLine& line) {
        QPoint at;
        for (const XdotoolStep& step : line) {
            if (step.command == "mousemove") {
                at = QPoint(step.arguments[0].toInt(), step.arguments[1].toInt());
                QTest::mouseMove(&window, at);
            } else if (step.command == "click") {
                // Press and release in the same instant, as xdotool sends them.
                QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, at);
                QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, at);
            } else if (step.command == "mousedown") {
                QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, at);
            } else if (step.command == "mouseup") {
                QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, at);
            } else {
                settle(step.arguments[0].toDouble());
            }
        }
        settle(1.5);
    }

    // What a person sees of the Mac and of Nimbrel.
    struct Seen {
        QString frontmost;
        bool permission = false;
        QString panel; // its mode, or "closed"
        int finderWindowsShown = 0;
        bool operator==(const Seen&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Seen& s) {
            return out << s.frontmost.toStdString() << " in front, permission " << s.permission << ", panel "
                       << s.panel.toStdString() << ", " << s.finderWindowsShown << " Finder windows shown";
        }
    };
    Seen seen() {
        sim::SimulatedMac& mac = env.mac();
        const sim::App* front = mac.app(mac.frontmostPid());
        const sim::App* finder = mac.appWithBundleId(QStringLiteral("com.apple.finder"));
        return {front ? front->name : QString(), mac.isTrusted(),
                app->shell().isPanelVisible() ? app->shell().panelMode() : QStringLiteral("closed"),
                finder ? int(std::count_if(finder->windows.begin(), finder->windows.end(),
                                           [](const sim::Window& w) { return !w.minimized; }))
                       : -1};
    }

    testing::UiTestPlatform env;
    RecordingUserNotifications userNotifications{env.scheduler, env.scheduler};
    DesktopViewModel desktop{env.mac(), env.scheduler};
    GlassStyle glass{env.notifications, [] { return false; }, [] { return 14; }};
    HoverGeometry hover;
    QQuickWindow window;
    std::unique_ptr<AppShell> app;
    QQmlEngine qml;
    std::unique_ptr<QQuickItem> view;
    QString error;
};

// The README's lines, typed as it says at the virtual display `scripts/run` makes, from a fresh
// start, with the engine watching the Mac's mouse in virtual time. One after the other, each
// does what its description says: the first two grant the permission, after which the long
// press minimizes both of Finder's windows. Before the grant the Dock alone answers (no long
// press); straight after it, with System Settings in front, the long-press line's click is what
// brings Finder forward, since the same line's press held alone only does that.
TEST(DesktopQml, TheReadmesLinesWorkAsWrittenFromAFreshStart) {
    const QList<XdotoolLine> lines = readmeXdotoolLines();
    using Seen = FreshStart::Seen;
    const Seen fresh{"Safari", false, "onboarding", 2};
    const Seen afterEach[] = {
        {"System Settings", false, "onboarding", 2}, // the gear item
        {"System Settings", true, "menu", 2},        // its switch
        {"System Settings", true, "closed", 2},      // the status item
        {"Finder", true, "closed", 2},               // the Finder tile
        {"Finder", true, "closed", 0},               // a click on Finder, then a long press
        {"Notes", true, "closed", 0},                // the window on the external display
    };
    ASSERT_EQ(lines.size(), qsizetype(std::size(afterEach))) << "the README's xdotool lines changed";
    const XdotoolLine gear = lines[0], toggle = lines[1];
    XdotoolLine longPress;
    for (const XdotoolLine& line : lines)
        if (std::any_of(line.begin(), line.end(), [](const XdotoolStep& s) { return s.command == "mousedown"; }))
            longPress = line;
    ASSERT_FALSE(longPress.isEmpty()) << "no line with a long press in " NIMBREL_README;
    XdotoolLine pressAlone = longPress;
    while (!pressAlone.isEmpty() && pressAlone.first().command != "mousedown")
        pressAlone.removeFirst();
    pressAlone.prepend(longPress.first()); // where the pointer is

    {
        SCOPED_TRACE("every line in the README's order");
        FreshStart program;
        ASSERT_TRUE(program.view) << program.error.toStdString();
        EXPECT_EQ(program.seen(), fresh);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(i + 1);
            program.type(lines[i]);
            EXPECT_EQ(program.seen(), afterEach[i]);
        }
    }
    const struct {
        const char* name;
        QList<XdotoolLine> typed;
        Seen after;
    } cases[] = {
        {"the long press before the grant", {longPress}, {"Finder", false, "onboarding", 2}},
        {"the long press straight after it", {gear, toggle, longPress}, {"Finder", true, "menu", 0}},
        {"its press held alone after it", {gear, toggle, pressAlone}, {"Finder", true, "menu", 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshStart program;
        ASSERT_TRUE(program.view) << program.error.toStdString();
        for (const XdotoolLine& line : c.typed)
            program.type(line);
        EXPECT_EQ(program.seen(), c.after);
    }
}

} // namespace
} // namespace nimbrel
