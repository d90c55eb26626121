#pragma once

#include "platform/NotificationCenter.h"
#include "platform/Workspace.h"

#include <QSet>
#include <QString>

#include <optional>

namespace nimbrel {

class UserDefaults;

// The stored blacklist as a set, read again only after the stored list changes, so that a
// tap costs the same however many apps are blacklisted.
class BlacklistedApps {
  public:
    explicit BlacklistedApps(UserDefaults& defaults);

    // By bundle identifier or bundle path, as the blacklist stores either.
    bool contains(const RunningApplication& app);

  private:
    UserDefaults& defaults_;
    ObserverToken changes_;
    std::optional<QSet<QString>> keys_;
};

} // namespace nimbrel
