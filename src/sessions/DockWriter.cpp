#include "sessions/DockWriter.h"

#include "platform/DockPreferences.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/ProcessRunner.h"
#include "platform/Scheduler.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "sessions/DockTiles.h"

#include <unistd.h>

namespace nimbrel {

namespace {
const QString kDockWriterLog = QStringLiteral("NimbrelSessionDockManager");
}

QStringList DockWriter::write(const QStringList& paths, bool finderVisible, std::shared_ptr<const void> keepAlive) {
    const QStringList written = writableDockPaths(paths);
    QVariantList tiles;
    for (const QString& path : written)
        tiles << makeFileTile(path, *platform_.files);
    platform_.dockPreferences->setValue(kDockPersistentAppsKey, tiles);
    const bool synchronized = platform_.dockPreferences->synchronize();
    platform_.defaults->synchronize();
    logLine(kDockWriterLog, QStringLiteral("wrote Dock persistent-apps count=%1 finderVisible=%2 synchronized=%3")
                      .arg(tiles.size())
                      .arg(finderVisible ? "true" : "false", synchronized ? "true" : "false"));
    restartDock(std::move(keepAlive));
    return written;
}

void DockWriter::restartDock(std::shared_ptr<const void> keepAlive) {
    const ProcessResult killed = platform_.processes->run(QStringLiteral("/usr/bin/killall"), {QStringLiteral("Dock")});
    if (!killed.launched) {
        logLine(kDockWriterLog, QStringLiteral("failed to kill Dock: ") + killed.launchError);
        report_(QStringLiteral("Dock Restart Failed"), killed.launchError);
    } else {
        logLine(kDockWriterLog, QStringLiteral("killall Dock status=%1").arg(killed.terminationStatus));
    }
    platform_.scheduler->after(kKickstartDelay, [this, keepAlive = std::move(keepAlive)] { kickstartDockAgent(); });
}

void DockWriter::kickstartDockAgent() const {
    const unsigned uid = platform_.systemInfo ? platform_.systemInfo->userId() : static_cast<unsigned>(::getuid());
    const ProcessResult result = platform_.processes->run(
        QStringLiteral("/bin/launchctl"),
        {QStringLiteral("kickstart"), QStringLiteral("-k"), QStringLiteral("gui/%1/com.apple.Dock.agent").arg(uid)});
    if (!result.launched) {
        logLine(kDockWriterLog, QStringLiteral("failed to kickstart Dock: ") + result.launchError);
        report_(QStringLiteral("Dock Kickstart Failed"), result.launchError);
        return;
    }
    logLine(kDockWriterLog, QStringLiteral("launchctl Dock kickstart status=%1").arg(result.terminationStatus));
}

} // namespace nimbrel
