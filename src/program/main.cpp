#include "program/NimbrelProgram.h"

#include <QApplication>
#include <QQuickWindow>

#include <cstdio>
#include <memory>
#include <utility>

int main(int argc, char** argv) {
    // The tray icon needs the widgets' application; without a screen there is no tray, and
    // the lighter application will do.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool headless = platform.startsWith("offscreen") || platform.startsWith("minimal");
    std::unique_ptr<QGuiApplication> app =
        headless ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Nimbrel"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("nimbrel.com"));
    // The desktop window is the whole simulated Mac: closing it ends the program.
    QGuiApplication::setQuitOnLastWindowClosed(true);

    nimbrel::NimbrelProgram program;
    if (!program.start()) return 1;
    // For bench/startup_measure.sh: one line once the panel has been drawn.
    if (qEnvironmentVariableIsSet("NIMBREL_REPORT_PANEL_READY")) {
        if (QQuickWindow* window = program.desktopWindow()) {
            QObject::connect(window, &QQuickWindow::frameSwapped, window, [] {
                static bool reported = false;
                if (std::exchange(reported, true)) return;
                std::fputs("nimbrel: window ready\n", stdout);
                std::fflush(stdout);
            });
        }
        program.onFirstPanelFrame([] {
            std::fputs("nimbrel: panel ready\n", stdout);
            std::fflush(stdout);
        });
    }
    const int status = QGuiApplication::exec();
    program.willTerminate();
    return status;
}
