#pragma once

#include "app/MenuBarIcon.h"

#include <QString>
#include <QVariant>

#include <functional>

namespace nimbrel {

// The Dock tap engine as the shell uses it.
class EngineControl {
  public:
    virtual ~EngineControl() = default;
    virtual void startMonitoring() = 0;
    virtual bool hasDockClickMonitor() const = 0;
};

// The sessions store's start-up entry: creates the shared store if needed and applies the
// global pause or the active session at once.
class SessionsStoreHook {
  public:
    virtual ~SessionsStoreHook() = default;
    virtual void applyGlobalPauseState() = 0;
};

// The shell's neighbours, handed in so the delegate runs without a display or a real Mac.
struct ShellHooks {
    // Whether the program may watch global mouse events and act on other apps' windows.
    std::function<bool()> isProcessTrusted;
    // The shared engine, created on first call.
    std::function<EngineControl&()> engine;
    // One entitlement of the program's own signature as stored (text, list, or nothing).
    std::function<QVariant(const QString& key)> entitlement;
    // The sessions store's bootstrap; may be null until that store exists.
    SessionsStoreHook* sessionsStore = nullptr;
    // Obtains the shared rules store (creating it).
    std::function<void()> obtainRulesStore;
    // Records an activity of type error.
    std::function<void(const QString& title, const QString& message)> recordErrorActivity;
    MenuBarIconCatalog iconCatalog;
};

} // namespace nimbrel
