#include "sync/CloudUnsentChanges.h"

#include "sync/CloudCopyOrder.h"
#include "sync/CloudSyncManager.h"

#include <algorithm>

namespace nimbrel {

std::optional<Date> CloudUnsentChanges::unsentChange(const QString& objectID, Date updatedAt) const {
    // To the second, as a held copy may have been stored (the sessions file): a later change,
    // sent or not, updates the mark, and only a copy of a later second replaces the held one.
    std::optional<Date> latest;
    for (std::optional<Date> changedAt :
         {madeWhileOff_.dateOf(objectID), sync_.pendingPush(NimbrelCloudSyncManager::pushKey(type_, objectID))})
        if (changedAt && isSameSecond(*changedAt, updatedAt))
            latest = std::max(latest.value_or(*changedAt), *changedAt);
    return latest;
}

void CloudUnsentChanges::forgetObject(const QString& objectID) {
    madeWhileOff_.remove(objectID);
    sync_.forgetObject(type_, objectID);
}

} // namespace nimbrel
