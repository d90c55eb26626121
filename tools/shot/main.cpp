// Renders one of the panel's screens in a state a person reaches, a screen's whole content, or
// the desktop window, to a PNG without a display.
//   nimbrel-shot <state> <out.png>      one state (nimbrel-shot --list names them all)
//   nimbrel-shot --list                 every state, a tab, and what it shows
//   nimbrel-shot --x11-root <out.png>   the whole X display (under Xvfb)
#include "Shots.h"
#include "platform/BuildVersion.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

using namespace nimbrel;

namespace {

std::vector<Shot> allShots() {
    std::vector<Shot> shots = panelShots();
    for (std::vector<Shot> more : {wholeShots(), desktopShots()})
        shots.insert(shots.end(), more.begin(), more.end());
    return shots;
}

int usage() {
    std::fprintf(stderr, "usage: nimbrel-shot <state> <out.png>   (states: nimbrel-shot --list)\n"
                         "       nimbrel-shot --list\n"
                         "       nimbrel-shot --x11-root <out.png>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const bool x11Root = argc == 3 && QByteArray(argv[1]) == "--x11-root";
    if (!x11Root && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    applyBuildVersion(); // the settings pictures show it
    if (argc == 2 && QByteArray(argv[1]) == "--list") {
        for (const Shot& shot : allShots())
            std::printf("%s\t%s\n", qPrintable(shot.name), qPrintable(shot.shows));
        return 0;
    }
    if (argc != 3) return usage();
    const QString what = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    if (x11Root) {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen && savePicture(screen->grabWindow(0).toImage(), out) ? 0 : 1;
    }
    for (const Shot& shot : allShots())
        if (shot.name == what) return shot.take(out);
    std::fprintf(stderr, "nimbrel-shot: no state %s\n", qPrintable(what));
    return usage();
}
