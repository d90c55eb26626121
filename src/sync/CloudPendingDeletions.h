#pragma once

#include "platform/Date.h"

#include <QString>

#include <map>

namespace nimbrel {

class UserDefaults;

// The objects of one store deleted here whose tombstones have not reached the cloud yet, kept
// in user defaults as {id: date of the deletion}. A pull does not bring them back, and their
// tombstones go out when sync can run again.
class CloudPendingDeletions {
  public:
    CloudPendingDeletions(UserDefaults& defaults, QString key) : defaults_(defaults), key_(std::move(key)) {}

    void add(const QString& id, Date deletedAt);
    void remove(const QString& id);
    bool contains(const QString& id) const;
    // Entries whose value is no date are dropped when read.
    std::map<QString, Date> entries() const;

  private:
    UserDefaults& defaults_;
    QString key_;
};

} // namespace nimbrel
