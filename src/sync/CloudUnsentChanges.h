#pragma once

#include "platform/Date.h"
#include "sync/CloudPayloadType.h"
#include "sync/CloudPendingChanges.h"

#include <QString>

#include <optional>

namespace nimbrel {

class NimbrelCloudSyncManager;
class UserDefaults;

// The changes of a store's objects that the cloud has not received: those made while sync was
// off or paused, which are never sent later, kept under the store's key as {object id: date of
// the change}; and those whose push has not gone through (the sync manager's pending pushes).
// A copy held with such a change is newer than this Mac's own copy in the cloud of the same
// second, which a pull must therefore not take over it, across restarts too.
class CloudUnsentChanges {
  public:
    CloudUnsentChanges(UserDefaults& defaults, const QString& key, NimbrelCloudSyncManager& sync,
                       NimbrelCloudPayloadType type)
        : madeWhileOff_(defaults, key), sync_(sync), type_(type) {}

    // A change made while sync could not run, dated as the object's `updatedAt`.
    void madeWhileOff(const QString& objectID, Date changedAt) { madeWhileOff_.add(objectID, changedAt); }
    // The object's latest change goes out, or the object is gone.
    void forget(const QString& objectID) { madeWhileOff_.remove(objectID); }
    // The held copy gave way to the cloud's, or the object was deleted: no change of it waits.
    void forgetObject(const QString& objectID);
    // The full date of the change the cloud lacks that the held copy of `objectID` dated
    // `updatedAt` carries, if it carries one.
    std::optional<Date> unsentChange(const QString& objectID, Date updatedAt) const;
    // Whether the object's latest change was made while sync could not run: a push still waiting
    // from before it is never sent again.
    bool madeWhileOff(const QString& objectID) const { return madeWhileOff_.dateOf(objectID).has_value(); }

  private:
    CloudPendingChanges madeWhileOff_;
    NimbrelCloudSyncManager& sync_;
    NimbrelCloudPayloadType type_;
};

} // namespace nimbrel
