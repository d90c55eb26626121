// Renders one of the panel's screens, or the desktop window, to a PNG without a display.
//   nimbrel-shot <screen> <out.png>     screen: onboarding, main, blacklist, rules, sessions,
//                                        activity, settings; pause-menu and paused-menu (the
//                                        main menu with its pause menu open, running or paused)
//   nimbrel-shot sessions-end <out.png> the sessions list scrolled to its last card
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
#include "app/ScreenPreview.h"
#include "app/ShellNames.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "program/NimbrelProgram.h"
#include "ui/screens/ScreenPreviewData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>

using namespace nimbrel;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: nimbrel-shot <%s|desktop|desktop-menu|desktop-paused-menu> <out.png>\n"
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

void runFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
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

} // namespace

int main(int argc, char** argv) {
    const bool x11Root = argc == 3 && QByteArray(argv[1]) == "--x11-root";
    if (!x11Root && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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

    // The screens' Mac: a default simulated one on a throw-away disk, with the account's
    // picture in its directory record.
    QTemporaryDir disk;
    std::unique_ptr<sim::SimulatedPlatform> mac;
    ScreenPreview preview([&](Platform& platform) {
        mac = std::make_unique<sim::SimulatedPlatform>(*platform.scheduler, *platform.clock, disk.path());
        mac->mac().identity().jpegPhoto = previewAccountPhoto();
        mac->fill(platform);
    });
    if (!preview.show(what)) return usage();
    QQmlEngine engine;
    setUpQmlEngine(engine, preview.models());
    QQuickWindow window;
    window.setColor(QColor(28, 30, 38));
    window.resize(preview.pictureSize().toSize());

    // A wallpaper-like backdrop so the glass has something to show through.
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import Nimbrel.App
        Item {
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
            NimbrelPanel { backdrop: wall }
        })",
                      QUrl(QStringLiteral("qrc:/nimbrel-shot.qml")));
    std::unique_ptr<QObject> root(component.create());
    if (!root) {
        std::fprintf(stderr, "nimbrel-shot: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    auto* item = qobject_cast<QQuickItem*>(root.get());
    item->setParentItem(window.contentItem());
    item->setSize(window.size());
    window.show();
    // Let transitions (the longest takes 0.6 s), images and the screens' own steps on the
    // preview's virtual clock settle before the picture.
    auto settle = [&preview](int milliseconds) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < milliseconds) {
            preview.scheduler().advance(0.05);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
    };
    settle(1200);
    for (int step = 0; preview.arrange(what, item, step); ++step)
        settle(1200);
    if (what.endsWith(QStringLiteral("-menu")) && openPauseMenu(preview.shell(), what == QStringLiteral("paused-menu")))
        settle(600);
    return save(window.grabWindow(), out) ? 0 : 1;
}
