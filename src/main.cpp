#include "app/NimbrelProgram.h"

#include <QApplication>
#include <QQuickStyle>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrel"));
    QApplication::setOrganizationDomain(QStringLiteral("nimbrel.com"));
    // The desktop window is the whole simulated Mac: closing it ends the program.
    QApplication::setQuitOnLastWindowClosed(true);
    QQuickStyle::setStyle(QStringLiteral("Basic"));

    nimbrel::NimbrelProgram program;
    if (!program.start()) return 1;
    const int status = QApplication::exec();
    program.willTerminate();
    return status;
}
