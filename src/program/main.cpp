#include "app/ShellNames.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/local/FolderInstanceGuard.h"
#include "program/NimbrelProgram.h"
#include "program/TrayIcon.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <utility>

int main(int argc, char** argv) {
    // One program for one user's data, as the Mac's launch services keep it: before anything is
    // written, a start on the folders of a running program asks that one to open its panel and
    // ends. That launch succeeded (Nimbrel runs, in front), so it ends with status 0, as a
    // launch of a running application does on a Mac.
    const nimbrel::Locations locations = nimbrel::Locations::forThisMachine();
    nimbrel::FolderInstanceGuard guard(locations);
    if (!guard.claim()) {
        const bool asked = guard.askRunningToComeForward();
        // The request is queued on the running program's socket, which holds it even while that
        // program is stopped or busy: it opens its panel only once it takes the request. Past a
        // few queued requests the queue is full, and the request does not reach it: said so.
        nimbrel::logLine(QStringLiteral("NimbrelApp"),
                         QStringLiteral("Nimbrel is already running for these folders (%1)%2; this start ends")
                             .arg(guard.folders().join(QStringLiteral(", ")),
                                  asked ? QStringLiteral(" and was asked to open its panel (the request waits until "
                                                         "it takes it)")
                                        : QStringLiteral(", but the request to open its panel did not reach it")));
        return 0;
    }

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
    // and for the pull measurements (bench/rule_pull_measure.py):
    //   NIMBREL_SHOW_RULES         the panel opened at start and the rules screen in it
    using Host = nimbrel::NimbrelProgram::Host;
    nimbrel::NimbrelProgram program(qEnvironmentVariableIsSet("NIMBREL_PANEL_ONLY") ? Host::panelOnly : Host::desktop,
                                    locations);
    // Heard from the loop on, so never before the start below has run.
    if (!guard.answerRequests([&program] { program.reopen(); }))
        nimbrel::logLine(QStringLiteral("NimbrelApp"), QStringLiteral("later starts cannot ask this one to open its "
                                                                      "panel; they only end"));
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
    if (qEnvironmentVariableIsSet("NIMBREL_SHOW_RULES")) {
        program.onFirstPanelFrame([] { nimbrel::Platform::current().notifications->post(nimbrel::shell::kShowRules); });
        QTimer::singleShot(0, &program, [&program] { program.reopen(); }); // the panel, as a click opens it
    }
    const int status = QGuiApplication::exec();
    program.willTerminate();
    return status;
}
