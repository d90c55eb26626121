#pragma once

#include "platform/Date.h"

#include <QString>

#include <map>
#include <optional>

namespace nimbrel {

class UserDefaults;

// Changes made here that have not reached the cloud yet, kept in user defaults as {key: date
// of the change}, so that they go out when sync can run again, after a restart too: a store's
// deletions whose tombstones wait, the sync manager's objects whose latest push failed.
class CloudPendingChanges {
  public:
    CloudPendingChanges(UserDefaults& defaults, QString key) : defaults_(defaults), key_(std::move(key)) {}

    void add(const QString& id, Date changedAt);
    void remove(const QString& id);
    // The date of the change waiting under `id`, if there is one.
    std::optional<Date> dateOf(const QString& id) const;
    // Entries whose value is no date are dropped when read.
    std::map<QString, Date> entries() const;

  private:
    UserDefaults& defaults_;
    QString key_;
};

} // namespace nimbrel
