#include "program/TrayIcon.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>

#include <cstdio>

namespace nimbrel {

namespace {

// Resolved once the module is loaded; null without it.
MakeTrayIcon loadedTrayMaker = nullptr;

} // namespace

std::unique_ptr<QGuiApplication> makeApplication(int& argc, char** argv, bool withDisplay) {
    if (withDisplay) {
        // Beside the program, where the build puts it; there is no application yet to ask.
        const QString folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
        static QLibrary module(folder + QStringLiteral("/nimbrel_tray"));
        auto makeApp = reinterpret_cast<MakeWidgetsApplication>(module.resolve(kMakeWidgetsApplication));
        auto makeTray = reinterpret_cast<MakeTrayIcon>(module.resolve(kMakeTrayIcon));
        if (makeApp && makeTray) {
            loadedTrayMaker = makeTray;
            return std::unique_ptr<QGuiApplication>(makeApp(argc, argv));
        }
        std::fprintf(stderr, "nimbrel: no system tray: %s\n", qPrintable(module.errorString()));
    }
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::unique_ptr<TrayIcon> makeTrayIcon(const QString& toolTip, const std::function<void()>& clicked) {
    if (!loadedTrayMaker) return nullptr;
    return std::unique_ptr<TrayIcon>(loadedTrayMaker(toolTip, clicked));
}

} // namespace nimbrel
