// Renders one of the panel's screens, or the desktop window, to a PNG without a display.
//   nimbrel-shot <screen> <out.png>     screen: onboarding, main, blacklist, rules, sessions,
//                                        activity, settings; pause-menu and paused-menu (the
//                                        main menu with its pause menu open, running or paused)
//   nimbrel-shot rules-all <out.png>    the rules screen drawn tall enough for all its cards
//   nimbrel-shot rule-editor-browser <out.png>, rule-editor-finder <out.png>
//                                        the rule editor on the preview's Safari or Finder rule,
//                                        drawn tall enough for all its sections
//   nimbrel-shot sessions-all <out.png> the sessions screen drawn tall enough for all its cards
//   nimbrel-shot session-schedule <out.png>
//                                        also session-wallpaper, -symbol, -blocking, -dock,
//                                        -symbol-library, -whitelist-library: the first
//                                        session's editor at that section
//   nimbrel-shot desktop <out.png>      the program on a fresh simulated Mac, 1.5 s after start
//                                        (the onboarding panel open), both screens at half size
//   nimbrel-shot desktop-menu <out.png> the same after the permission was granted (the menu open)
//   nimbrel-shot desktop-paused-menu <out.png>
//                                        the same, paused for 15 minutes, the pause menu open
//   nimbrel-shot --x11-root <out.png>   the whole X display (under Xvfb)
#include "app/ScreenModels.h"
#include "app/ScreenPreview.h"
#include "app/ShellNames.h"
#include "model/RulesStore.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "program/NimbrelProgram.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/screens/ScreenPreviewData.h"
#include "ui/sessions/SessionsViewModel.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>

using namespace nimbrel;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: nimbrel-shot <%s|rules-all|rule-editor-browser|rule-editor-finder|desktop|desktop-menu|\n"
                 "                     desktop-paused-menu> <out.png>\n"
                 "       nimbrel-shot --x11-root <out.png>\n",
                 qPrintable(ScreenPreview::screenNames().join('|')));
    return 2;
}

bool save(const QImage& image, const QString& path) {
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "nimbrel-shot: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Lets `milliseconds` pass on the event loop, and on the preview's virtual scheduler when there is
// one: work the screens hand to it, such as their entrance, runs too.
void runFor(int milliseconds, VirtualScheduler* scheduler = nullptr) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        if (scheduler) scheduler->advance(0.05);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

// The screens' Mac: a default simulated one on a throw-away disk, with the account's picture in
// its directory record.
std::shared_ptr<void> previewMac(Platform& platform) {
    struct Handle {
        QTemporaryDir disk;
        std::unique_ptr<sim::SimulatedPlatform> mac;
    };
    auto handle = std::make_shared<Handle>();
    handle->mac = std::make_unique<sim::SimulatedPlatform>(*platform.scheduler, *platform.clock, handle->disk.path());
    handle->mac->mac().identity().jpegPhoto = previewAccountPhoto();
    handle->mac->fill(platform);
    return handle;
}

enum class DesktopShot { fresh, granted, pausedMenu };

// The real program over a fresh simulated Mac in a throw-away home.
int shootDesktop(DesktopShot shot, const QString& out) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    NimbrelProgram program;
    if (!program.start()) return 1;
    runFor(1500);
    if (shot != DesktopShot::fresh) {
        program.desktop().setAccessibilityTrusted(true);
        runFor(1500);
    }
    if (shot == DesktopShot::pausedMenu) {
        if (!openPauseMenu(program.shell(), true)) return 1;
        runFor(1200);
    }
    QQuickWindow* window = program.desktopWindow();
    if (!window) return 1;
    window->resize(int(program.desktop().width() / 2), int(program.desktop().height() / 2));
    runFor(300);
    const bool saved = save(window->grabWindow(), out);
    program.willTerminate();
    return saved ? 0 : 1;
}

// Draws `content` (QML of one item; `root` is the picture, `wall` its backdrop) over a
// wallpaper-like backdrop, so the glass has something to show through, and saves it once the
// scene has settled and `beforePicture` has run (given the picture's item).
int shootOverBackdrop(ScreenPreview& preview, QSize size, const QString& content, const QVariantMap& properties,
                      const QString& out, const std::function<void(QQuickItem*)>& beforePicture = {}) {
    QQmlEngine engine;
    setUpQmlEngine(engine, preview.models());
    QQuickWindow window;
    window.setColor(QColor(28, 30, 38));
    window.resize(size);
    QQmlComponent component(&engine);
    component.setData(QStringLiteral(R"(
        import QtQuick
        import Nimbrel.App
        Item {
            id: root
            property QtObject model
            anchors.fill: parent
            Rectangle {
                id: wall
                anchors.fill: parent
                gradient: Gradient {
                    GradientStop { position: 0.0; color: "#2B3A67" }
                    GradientStop { position: 0.5; color: "#6A4C93" }
                    GradientStop { position: 1.0; color: "#C06C84" }
                }
            }
            %1
        })")
                          .arg(content)
                          .toUtf8(),
                      QUrl(QStringLiteral("qrc:/nimbrel-shot.qml")));
    std::unique_ptr<QObject> root(component.createWithInitialProperties(properties));
    if (!root) {
        std::fprintf(stderr, "nimbrel-shot: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    auto* item = qobject_cast<QQuickItem*>(root.get());
    item->setParentItem(window.contentItem());
    item->setSize(window.size());
    window.show();
    // Let transitions (the longest takes 0.6 s) and images settle before the picture.
    runFor(1200, &preview.scheduler());
    if (beforePicture) beforePicture(item);
    return save(window.grabWindow(), out) ? 0 : 1;
}

// The rules screen on its own, tall enough for all its cards, or with the editor open on the
// preview's rule for `triggerApp`, tall enough for all the editor's sections.
int shootRulesScreen(const QString& triggerApp, int height, const QString& out) {
    ScreenPreview preview(previewMac);
    std::unique_ptr<QObject> model = makeScreenModel(NimbrelPanelScreen::Rules, Platform::current());
    if (auto* rules = qobject_cast<RulesViewModel*>(model.get()); rules && !triggerApp.isEmpty())
        for (const NimbrelRule& rule : NimbrelRulesStore::shared().rules().get())
            if (rule.trigger.app.displayName == triggerApp) rules->editRule(rule.id.toString());
    return shootOverBackdrop(preview, QSize(360 + 48, height + 48),
                             QStringLiteral("RulesView { x: 24; y: 24; height: root.height - 48; model: root.model }"),
                             {{"model", QVariant::fromValue(model.get())}}, out);
}

// The sessions screen over the preview's sessions, as tall as its cards need.
int shootWholeSessionsList(const QString& out) {
    ScreenPreview preview(previewMac);
    std::unique_ptr<SessionsViewModel> model = preview.sessions()->makeViewModel();
    return shootOverBackdrop(
        preview, QSize(360 + 48, 900 + 48),
        QStringLiteral("SessionsView { x: 24; y: 24; height: root.height - 48; model: root.model }"),
        {{"model", QVariant::fromValue<QObject*>(model.get())}}, out);
}

} // namespace

int main(int argc, char** argv) {
    const bool x11Root = argc == 3 && QByteArray(argv[1]) == "--x11-root";
    if (!x11Root && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) return usage();
    const QString what = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    static const QHash<QString, DesktopShot> desktopShots = {{"desktop", DesktopShot::fresh},
                                                             {"desktop-menu", DesktopShot::granted},
                                                             {"desktop-paused-menu", DesktopShot::pausedMenu}};
    if (desktopShots.contains(what)) return shootDesktop(desktopShots.value(what), out);

    if (x11Root) {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen && save(screen->grabWindow(0).toImage(), out) ? 0 : 1;
    }

    if (what == QStringLiteral("rules-all")) return shootRulesScreen({}, 1000, out);
    if (what == QStringLiteral("rule-editor-browser")) return shootRulesScreen(QStringLiteral("Safari"), 1540, out);
    if (what == QStringLiteral("rule-editor-finder")) return shootRulesScreen(QStringLiteral("Finder"), 1140, out);
    if (what == QStringLiteral("sessions-all")) return shootWholeSessionsList(out);
    ScreenPreview preview(previewMac);
    if (!preview.show(what)) return usage();
    return shootOverBackdrop(preview, preview.pictureSize().toSize(), QStringLiteral("NimbrelPanel { backdrop: wall }"),
                             {}, out, [&](QQuickItem* panel) {
                                 for (int step = 0; preview.arrange(what, panel, step); ++step)
                                     runFor(1200, &preview.scheduler());
                                 if (what.endsWith(QStringLiteral("-menu")) &&
                                     openPauseMenu(preview.shell(), what == QStringLiteral("paused-menu")))
                                     runFor(600, &preview.scheduler());
                             });
}
