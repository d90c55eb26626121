#pragma once

#include <QString>

namespace nimbrel {

struct Platform;

// Opening the program at login, as the settings screen switches it: the system's login item
// decides, and the user default only mirrors the status read after each step (nothing reads
// the mirror to decide whether to register).
class LaunchAtLogin {
  public:
    static inline const QString kMirrorKey = QStringLiteral("Nimbrel.settings.launchAtLoginEnabled");

    explicit LaunchAtLogin(Platform& platform) : platform_(platform) {}

    // The mirror's value (false when absent).
    bool isEnabled() const;
    // Reads the login item's status into the mirror; returns the new value.
    bool refresh();
    // Registers or unregisters as needed, mirrors the status that results and records what
    // happened: "Automatic Start Failed" with the system's message, else "Enabled" or
    // "Disabled" by the status read afterwards (not by what was asked for).
    void set(bool on);

  private:
    bool readStatusIntoMirror();

    Platform& platform_;
};

} // namespace nimbrel
