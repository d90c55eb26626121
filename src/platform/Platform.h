#pragma once

#include "platform/Files.h"

namespace nimbrel {

class Scheduler;
class Clock;
class NotificationCenter;
class UserDefaults;
class FileSystem;
class UserNotifications;
class Workspace;
class Accessibility;
class Input;
class Screens;
class AppleScriptRunner;
class Alerts;
class ProcessRunner;
class DockPreferences;
class Keychain;
class CodeSignature;
class SystemInfo;
class LoginItems;
class UpdateFramework;
class CloudService;
class MainBundle;

// The facilities of the machine, installed once at start-up and handed to constructors.
// Tests build their own over fresh backends. Facilities a piece of code does not use may
// be null; `Platform::current()` is the installed bundle.
struct Platform {
    Scheduler* scheduler = nullptr;
    Clock* clock = nullptr;
    NotificationCenter* notifications = nullptr;
    UserDefaults* defaults = nullptr;
    FileSystem* files = nullptr; // the Mac's disk as the program sees it
    Locations locations;         // the program's own folders (real paths)
    UserNotifications* userNotifications = nullptr;
    Workspace* workspace = nullptr;
    Accessibility* accessibility = nullptr;
    Input* input = nullptr;
    Screens* screens = nullptr;
    AppleScriptRunner* appleScript = nullptr;
    Alerts* alerts = nullptr;
    ProcessRunner* processes = nullptr;
    DockPreferences* dockPreferences = nullptr;
    Keychain* keychain = nullptr;
    CodeSignature* codeSignature = nullptr;
    SystemInfo* systemInfo = nullptr;
    LoginItems* loginItems = nullptr;
    UpdateFramework* updater = nullptr;
    CloudService* cloud = nullptr;
    MainBundle* mainBundle = nullptr;

    static Platform& current();
    static bool isInstalled();
    // Installs `platform` as current (not owned) and returns the previous one (may be null).
    static Platform* install(Platform* platform);
};

// Installs a platform for the current scope and restores the previous one after (tests).
class ScopedPlatform {
  public:
    explicit ScopedPlatform(Platform& platform) : previous_(Platform::install(&platform)) {}
    ~ScopedPlatform() { Platform::install(previous_); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

  private:
    Platform* previous_;
};

} // namespace nimbrel
