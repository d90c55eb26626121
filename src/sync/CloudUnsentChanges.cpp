#include "sync/CloudUnsentChanges.h"

#include "sync/CloudCopyOrder.h"
#include "sync/CloudSyncManager.h"

namespace nimbrel {

bool CloudUnsentChanges::holds(const QString& objectID, Date updatedAt) const {
    // To the second, as a held copy may have been stored (the sessions file): a later change,
    // sent or not, updates the mark, and only a copy of a later second replaces the held one.
    auto marks = [&](std::optional<Date> changedAt) { return changedAt && isSameSecond(*changedAt, updatedAt); };
    return marks(madeWhileOff_.dateOf(objectID)) ||
           marks(sync_.pendingPush(NimbrelCloudSyncManager::pushKey(type_, objectID)));
}

void CloudUnsentChanges::forgetObject(const QString& objectID) {
    madeWhileOff_.remove(objectID);
    sync_.forgetObject(type_, objectID);
}

} // namespace nimbrel
