// The yardstick for bench/side_by_side.py and bench/startup_measure.sh: a bare Qt Quick
// program with one window. Prints "bare: window ready" after its first frame, then idles;
// with NIMBREL_QUIT_WHEN_READY set it quits there instead, so that whole start-ups can be timed.
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 360; height: 500; visible: true; color: "#202024"
            Rectangle { anchors.fill: parent; anchors.margins: 18; radius: 26; color: "#303036" }
        })");
    if (engine.rootObjects().isEmpty()) return 1;
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().constFirst());
    const bool quitWhenReady = qEnvironmentVariableIsSet("NIMBREL_QUIT_WHEN_READY");
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [quitWhenReady] {
        static bool reported = false;
        if (reported) return;
        reported = true;
        std::fputs("bare: window ready\n", stdout);
        std::fflush(stdout);
        if (quitWhenReady) QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    return QGuiApplication::exec();
}
