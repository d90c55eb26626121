#include "program/NimbrelProgram.h"
#include "program/TrayIcon.h"

#include <QGuiApplication>
#include <QQuickWindow>

#include <cstdio>
#include <memory>
#include <utility>

int main(int argc, char** argv) {
    // The tray icon needs the widgets' application; without a screen there is no tray, and
    // the lighter application will do (Qt Widgets is then never loaded).
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool headless = platform.startsWith("offscreen") || platform.startsWith("minimal");
    const std::unique_ptr<QGuiApplication> app = nimbrel::makeApplication(argc, argv, !headless);
    // The desktop window is the whole simulated Mac: closing it ends the program.
    QGuiApplication::setQuitOnLastWindowClosed(true);

    // For the start-up and memory measurements (bench/side_by_side.py):
    //   NIMBREL_PANEL_ONLY         the panel in a window of its own, without the desktop's scene
    //   NIMBREL_REPORT_PANEL_READY a line when the window, then the panel, is first drawn
    //   NIMBREL_QUIT_WHEN_READY    quit as the panel's Quit does once the panel is first drawn
    using Host = nimbrel::NimbrelProgram::Host;
    nimbrel::NimbrelProgram program(qEnvironmentVariableIsSet("NIMBREL_PANEL_ONLY") ? Host::panelOnly : Host::desktop);
    if (!program.start()) return 1;
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
    if (qEnvironmentVariableIsSet("NIMBREL_QUIT_WHEN_READY")) program.onFirstPanelFrame([&program] { program.quit(); });
    const int status = QGuiApplication::exec();
    program.willTerminate();
    return status;
}
