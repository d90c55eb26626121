#pragma once

#include "platform/Date.h"

#include <QString>

#include <map>
#include <optional>

namespace nimbrel {

class UserDefaults;

// Changes made here that have not reached the cloud yet, kept in user defaults as one value per
// change, "<key>.<id>" holding the date of the change, so that they go out when sync can run
// again, after a restart too: a store's deletions whose tombstones wait, the sync manager's
// objects whose latest push has not gone through. Adding or removing one costs one value of the
// defaults, which write it with the others, whatever the note holds; the note as one dictionary
// under `key`, as it was kept before, is taken over at first use.
class CloudPendingChanges {
  public:
    CloudPendingChanges(UserDefaults& defaults, QString key);

    void add(const QString& id, Date changedAt);
    void remove(const QString& id);
    // The date of the change waiting under `id`, if there is one.
    std::optional<Date> dateOf(const QString& id) const;
    // Entries whose value is no date are left out.
    std::map<QString, Date> entries() const;

  private:
    QString entryKey(const QString& id) const { return prefix_ + id; }

    UserDefaults& defaults_;
    QString prefix_;
};

} // namespace nimbrel
