#pragma once

#include "platform/Calendar.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "ui/common/Spring.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <memory>

namespace nimbrel::testing {

// 2026-03-10 12:00:00 UTC, a Tuesday.
inline constexpr Date kUiStart{794836800.0};

// The screens' platform: virtual time, in-memory defaults and the simulated Mac's default
// desktop, installed as the current platform, in UTC and US English, with motion off.
struct UiTestPlatform {
    QTemporaryDir dir;
    VirtualScheduler scheduler{kUiStart};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    sim::SimulatedPlatform simulated{scheduler, scheduler, dir.filePath(QStringLiteral("mac"))};
    Platform platform;
    std::unique_ptr<ScopedPlatform> installed;

    UiTestPlatform() {
        setCurrentTimeZone(QTimeZone("UTC"));
        setCurrentLocaleName("en_US");
        setSpringAnimationsEnabled(false);
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        simulated.fill(platform);
        installed = std::make_unique<ScopedPlatform>(platform);
    }
    ~UiTestPlatform() {
        scheduler.runUntilIdle();
        resetSharedInstances();
        installed.reset();
        setSpringAnimationsEnabled(true);
        setCurrentLocaleName({});
        setCurrentTimeZone(QTimeZone());
    }
    sim::SimulatedMac& mac() { return simulated.mac(); }
};

} // namespace nimbrel::testing
