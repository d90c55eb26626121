#pragma once

#include "platform/Date.h"
#include "platform/Uuid.h"

#include <QHash>
#include <QString>

#include <optional>

namespace nimbrel {

// What a store's merge noted of a record: the server's change tag, the id of the object it carried
// and the date of the copy held after the merge.
struct CloudMergedRecord {
    QString changeTag;
    Uuid id;
    Date heldUpdatedAt;
};

// The records a store merged at its pulls, by object id. A record seen again under the same tag
// while that copy is still held needs no decoding: its merge would change nothing. Every change a
// user makes dates its object, so a copy changed here no longer matches; a list replaced by other
// means must clear the memory. A copy is a snapshot that costs nothing until one of them changes,
// and may be read by a worker while the store goes on.
class CloudMergeMemory {
  public:
    using Merged = CloudMergedRecord;

    void clear() {
        merged_.clear();
        ++generation_;
    }
    // Counts the clears: what was read of a copy taken in another generation no longer holds.
    quint64 generation() const { return generation_; }
    const Merged* find(const Uuid& objectID) const {
        auto it = merged_.constFind(objectID);
        return it == merged_.cend() ? nullptr : &*it;
    }
    void remember(const Uuid& objectID, Merged merged) { merged_.insert(objectID, std::move(merged)); }

  private:
    QHash<Uuid, Merged> merged_;
    quint64 generation_ = 0;
};

// A pulled payload record as a worker read it for the merge: its object id as a UUID (none when
// it is no UUID), and what the memory held for that id under the record's change tag.
struct CloudPulledRecordKey {
    std::optional<Uuid> objectID;
    std::optional<CloudMergedRecord> mergedBefore;
};

} // namespace nimbrel
