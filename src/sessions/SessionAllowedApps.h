#pragma once

#include <QSet>
#include <QString>

namespace nimbrel {

struct NimbrelSession;
struct RunningApplication;
class UserDefaults;

// The apps a session lets run, ready for many look-ups: its allowed bundle identifiers and paths
// gathered once. The store keeps one for the active session, so checking the running apps does
// not gather them again for each app.
class SessionAllowedApps {
  public:
    explicit SessionAllowedApps(const NimbrelSession& session);

    // Whether `app` may keep running while the session is active.
    bool allows(const RunningApplication& app, const UserDefaults& defaults) const;

  private:
    bool allowsEveryApp_;
    QSet<QString> bundleIdentifiers_;
    QSet<QString> paths_;
};

} // namespace nimbrel
