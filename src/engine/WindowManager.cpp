#include "engine/WindowManager.h"

#include "activity/ActivityRecorder.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

WindowManager::WindowManager(Platform& platform) : platform_(platform) {}

WindowManager::~WindowManager() = default;

WindowManager& WindowManager::shared() {
    return sharedInstance<WindowManager>([] { return std::make_shared<WindowManager>(Platform::current()); });
}

Accessibility& WindowManager::ax() const {
    return *platform_.accessibility;
}
Workspace& WindowManager::workspace() const {
    return *platform_.workspace;
}
const Screens& WindowManager::screens() const {
    return *platform_.screens;
}
Scheduler& WindowManager::scheduler() const {
    return *platform_.scheduler;
}
FileSystem& WindowManager::files() const {
    return *platform_.files;
}

QString WindowManager::homeDirectory() const {
    return platform_.files ? platform_.files->homeDirectory() : platform_.locations.home;
}

QString WindowManager::expandTilde(const QString& path) const {
    if (platform_.files) return platform_.files->expandTilde(path);
    if (path == QStringLiteral("~")) return homeDirectory();
    if (path.startsWith(QStringLiteral("~/"))) return homeDirectory() + path.mid(1);
    return path;
}

void WindowManager::log(const QString& message) const {
    logLine(QStringLiteral("NimbrelWindowManager"), message);
}

void WindowManager::record(NimbrelActivityType type, const QString& title, const QString& message) const {
    recordNimbrelActivity(platform_, type, title, message);
}

void WindowManager::after(double delay, std::function<void()> step) const {
    platform_.scheduler->after(delay, lifetime_.guard(std::move(step)));
}

} // namespace nimbrel
