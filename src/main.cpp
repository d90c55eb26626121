#include "app/NimbrelProgram.h"

#include <QApplication>
#include <QQuickWindow>

#include <cstdio>
#include <utility>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrel"));
    QApplication::setOrganizationDomain(QStringLiteral("nimbrel.com"));
    // The desktop window is the whole simulated Mac: closing it ends the program.
    QApplication::setQuitOnLastWindowClosed(true);

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
    const int status = QApplication::exec();
    program.willTerminate();
    return status;
}
