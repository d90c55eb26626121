// The yardsticks for bench/side_by_side.py and bench/startup_measure.sh: a bare Qt Quick program
// with one window. Prints "bare: window ready" after its first frame, then idles; with
// NIMBREL_QUIT_WHEN_READY set it quits there instead, so that whole start-ups can be timed.
// With --text the window also shows a line of text in the program's typeface, set as the program
// sets it (Inter, else the system's sans-serif), so the text machinery and a font are loaded as
// in any window that shows words.
#include <QFont>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QGuiApplication app(argc, argv);
    if (withText) {
        QFont font;
        font.setFamilies({QStringLiteral("Inter"), QStringLiteral("sans-serif")});
        font.setStyleHint(QFont::SansSerif);
        QGuiApplication::setFont(font);
    }
    // Without text the window never creates a text item, so no font is ever looked up.
    const QByteArray text = withText ? R"(
                Text {
                    anchors.centerIn: parent
                    text: "Focus session ends at 17:30"
                    color: "white"; font.pixelSize: 15
                })"
                                     : "";
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 360; height: 500; visible: true; color: "#202024"
            Rectangle {
                anchors.fill: parent; anchors.margins: 18; radius: 26; color: "#303036")" +
                    text + R"(
            }
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
