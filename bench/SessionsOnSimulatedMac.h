#pragma once

// The sessions store's surroundings in the benchmarks: the simulated Mac in virtual time (a
// Tuesday, 12:00 UTC), background work on threads of its own as in the program, the program's
// file-backed defaults and a notification centre that keeps only what is pending, as the
// program's does; installed as the current platform.

#include "ThreadedBackground.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace nimbrel::bench {

struct SessionsOnSimulatedMac {
    SessionsOnSimulatedMac() : simulated(scheduler, scheduler, dir.filePath(QStringLiteral("mac"))) {
        setLogToStdout(false);
        setCurrentTimeZone(QTimeZone("UTC"));
        platform.scheduler = &background.scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.userNotifications = &userNotifications;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        simulated.fill(platform);
        Platform::install(&platform);
    }
    ~SessionsOnSimulatedMac() {
        background.wait();
        store.reset();
        resetSharedInstances();
        Platform::install(nullptr);
    }

    // Stores `sessions` as "Sessions.json", starts the store over it and lets its first pass, and
    // what that hands to workers, end.
    void startStore(const std::vector<NimbrelSession>& sessions, NimbrelSessionsStore::Parts parts) {
        QDir().mkpath(platform.locations.nimbrelSupportFolder());
        QFile file(platform.locations.nimbrelSupportFolder() + QStringLiteral("/Sessions.json"));
        if (file.open(QIODevice::WriteOnly)) file.write(encodeSessionList(sessions));
        file.close();
        store = NimbrelSessionsStore::create(platform, std::move(parts));
        scheduler.advance(0);
        background.wait();
        scheduler.advance(0);
    }

    QTemporaryDir dir;
    VirtualScheduler scheduler{Date{794836800.0}};
    ThreadedBackground background{scheduler};
    NotificationCenter notifications;
    JsonFileUserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    RecordingUserNotifications userNotifications{scheduler, scheduler, false};
    sim::SimulatedPlatform simulated;
    Platform platform;
    std::shared_ptr<NimbrelSessionsStore> store;
};

} // namespace nimbrel::bench
