#pragma once

#include "platform/Files.h"
#include "platform/Keychain.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/local/AutostartLoginItems.h"
#include "platform/local/DesktopUserNotifications.h"
#include "platform/local/EventLoopScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <memory>

namespace nimbrel {

// What the program runs on, on this machine: the event loop's scheduler and the clock,
// notifications, the defaults file, the simulated Mac (its state saved as it changes),
// desktop notifications, the keychain file and opening at login, gathered in one Platform. It also knows the
// order in which they end.
class ProgramFacilities {
  public:
    // Seconds between a change of the simulated Mac and the save that takes it (and the
    // changes that follow it meanwhile).
    static constexpr double kMacStateSaveDelay = 0.5;

    explicit ProgramFacilities(Locations locations);
    // Shuts down first when nobody did.
    ~ProgramFacilities();
    ProgramFacilities(const ProgramFacilities&) = delete;
    ProgramFacilities& operator=(const ProgramFacilities&) = delete;

    // Every facility, not installed.
    Platform& platform() { return platform_; }
    EventLoopScheduler& scheduler() { return scheduler_; }
    NotificationCenter& notifications() { return notifications_; }
    sim::SimulatedPlatform& simulated() { return *simulated_; }

    // Writes what waits to be written: the preferences, the activity history and the
    // simulated Mac's state; waits for it. On a handled signal, and at the end.
    void flush();
    // The end, before anything is destroyed: background work ends (a worker waiting for the
    // main thread is released and its call fails; the rest is waited for, so no worker
    // outlives what it uses), then everything is flushed. Later calls do nothing.
    void shutDown();

  private:
    void recordSetAside(const QString& title, const QString& problem);

    Locations locations_;
    EventLoopScheduler scheduler_; // first made, last gone
    SystemClock clock_;
    NotificationCenter notifications_;
    std::unique_ptr<JsonFileUserDefaults> defaults_;
    std::unique_ptr<sim::SimulatedPlatform> simulated_;
    std::unique_ptr<DesktopUserNotifications> userNotifications_;
    std::unique_ptr<FileKeychain> keychain_;
    std::unique_ptr<AutostartLoginItems> loginItems_;
    Platform platform_;
    bool shutDown_ = false;
};

} // namespace nimbrel
