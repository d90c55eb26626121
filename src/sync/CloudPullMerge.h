#pragma once

// The merge of what a store's pull fetched into the list it holds, shared by the rules and the
// sessions stores: deleted objects go and never come back, a copy from the cloud replaces the one
// held only when it is newer, and a record merged before and not changed since is not decoded again.

#include "platform/Json.h"
#include "platform/Uuid.h"
#include "sync/CloudCopyOrder.h"
#include "sync/CloudSyncManager.h"
#include "sync/CloudUnsentChanges.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;

// The ids a pull finds deleted: as UUIDs where they read as one (as every object's id does, in
// either case), else as they are written.
class CloudDeletedIDs {
  public:
    void insert(const QString& id);
    bool contains(const Uuid& id) const { return uuids_.contains(id); }
    bool contains(const QString& id, const std::optional<Uuid>& asUuid) const {
        return asUuid ? uuids_.contains(*asUuid) : others_.contains(id);
    }

  private:
    QSet<Uuid> uuids_;
    QSet<QString> others_;
};

// How a store reports what a pull could not read: each payload record that does not decode or
// could not be read, and each tombstone that could not be read (whose object the registry keeps
// deleted), is recorded under `decodeFailedTitle` and printed with its name under `component`.
struct CloudMergeReporting {
    Platform* platform = nullptr;
    QString decodeFailedTitle;
    QString component;

    void unreadable(const CloudPull& pull) const;
    void undecodable(const NimbrelCloudPayloadRecord& record, const QString& error) const;
};

// How a store reads its objects out of payload records.
template <typename T> struct CloudMergeCoding : CloudMergeReporting {
    // The object a record carries, or the decoder's message.
    std::function<json::Decoded<T>(const NimbrelCloudPayloadRecord&)> decode;
    // Whether two copies dated the same second differ in what they carry.
    std::function<bool(const T& pulled, const T& held)> differs;
    // The full date of the change a held copy carries that the cloud lacks, if it carries one.
    // None: the cloud holds every copy held here.
    std::function<std::optional<Date>(const T& held)> unsentChange;
    // Whose copy a record is. This Mac's own copy in the cloud of the same second as a held unsent
    // change is from before that change and does not replace it, nor does a copy of no known Mac
    // dated before it (this Mac's own, perhaps, whose save never answered); another Mac's copy of
    // that second may be from after it, and wins as every differing copy of the same second does.
    std::function<CloudCopySource(const NimbrelCloudPayloadRecord&)> sourceOf;
};

// The ids the pull finds deleted: its tombstones, every id the registry lists among the deletions
// (a tombstone that could not be read included), and the deletions made here still on their way.
CloudDeletedIDs deletedObjectIDs(const CloudPull& pull, const std::map<QString, Date>& pendingDeletions);

// What a pull changes in a held list: the held objects it deletes, the newer copies of held
// objects, and the objects it adds. The held list is not copied; a change of one object costs
// about one object.
template <typename T> struct CloudMergeChanges {
    std::vector<size_t> deleted;  // positions in the held list, ascending
    std::map<size_t, T> replaced; // position in the held list (never a deleted one) -> newer copy
    std::vector<T> added;         // in the order the pull brought them
    // Some change came from another Mac, or from a copy of no known Mac, not only this Mac's
    // own copies coming back.
    bool fromAnotherMac = false;
    bool fromUnknownMac = false;

    bool empty() const { return deleted.empty() && replaced.empty() && added.empty(); }
    // What "... Synced From iCloud" says: `ofAnotherMac` when a change came from another Mac,
    // `ofUnknownMac` when one came from a copy of no known Mac; nothing when only this Mac's own
    // copies came back.
    std::optional<QString> syncedMessage(const QString& ofAnotherMac, const QString& ofUnknownMac) const {
        if (fromAnotherMac) return ofAnotherMac;
        if (fromUnknownMac) return ofUnknownMac;
        return std::nullopt;
    }
    // The merged list: the held objects that stay, in their order, each replaced by its newer
    // copy, then the added ones.
    std::vector<T> appliedTo(const std::vector<T>& held) && {
        std::vector<T> list;
        list.reserve(held.size() - deleted.size() + added.size());
        auto gone = deleted.begin();
        for (size_t i = 0; i < held.size(); ++i) {
            if (gone != deleted.end() && *gone == i) {
                ++gone;
                continue;
            }
            auto newer = replaced.find(i);
            list.push_back(newer == replaced.end() ? held[i] : std::move(newer->second));
        }
        std::move(added.begin(), added.end(), std::back_inserter(list));
        return list;
    }
};

// What the pull's records (newest first) change in `held`. `T` has `id` (Uuid) and `updatedAt`.
template <typename T>
CloudMergeChanges<T> mergeCloudChanges(const std::vector<T>& held, const CloudPull& pull,
                                       const CloudDeletedIDs& deleted, CloudMergeMemory& memory,
                                       const CloudMergeCoding<T>& coding) {
    coding.unreadable(pull);
    CloudMergeChanges<T> changes;
    // Where each object stands: below held.size() a held position, else one of the added.
    QHash<Uuid, size_t> position;
    position.reserve(qsizetype(held.size() + pull.records.size()));
    for (size_t i = 0; i < held.size(); ++i) {
        if (deleted.contains(held[i].id))
            changes.deleted.push_back(i);
        else
            position.insert(held[i].id, i);
    }
    auto current = [&](size_t at) -> const T& {
        if (at >= held.size()) return changes.added[at - held.size()];
        auto newer = changes.replaced.find(at);
        return newer == changes.replaced.end() ? held[at] : newer->second;
    };
    auto heldIsNewer = [&](size_t at, const NimbrelCloudPayloadRecord& pulled) {
        const std::optional<Date> unsent = coding.unsentChange ? coding.unsentChange(held[at]) : std::nullopt;
        if (!unsent || !coding.sourceOf) return false;
        const CloudCopySource source = coding.sourceOf(pulled);
        return source == CloudCopySource::thisMac || (source == CloudCopySource::unknown && pulled.updatedAt < *unsent);
    };
    // Records come newest first: a copy this pull took gives way only to a later second.
    auto takenInThisPull = [&](size_t at) { return at >= held.size() || changes.replaced.count(at) > 0; };
    auto replaces = [&](size_t at, const T& pulled, const NimbrelCloudPayloadRecord& record) {
        if (takenInThisPull(at)) return wholeSecond(pulled.updatedAt) > wholeSecond(current(at).updatedAt);
        return isNewerCloudCopy(pulled.updatedAt, current(at).updatedAt,
                                [&] { return coding.differs(pulled, current(at)) && !heldIsNewer(at, record); });
    };
    changes.fromAnotherMac = !changes.deleted.empty();

    // The keys a worker read: an entry of the memory it read holds, whatever merged since, unless
    // the memory was cleared since (the list was replaced by other means).
    const bool keyed = pull.recordKeys.size() == pull.records.size();
    const bool entriesHold = keyed && pull.recordKeysGeneration == memory.generation();
    for (size_t r = 0; r < pull.records.size(); ++r) {
        const NimbrelCloudPayloadRecord& record = pull.records[r];
        const std::optional<Uuid> objectID = keyed ? pull.recordKeys[r].objectID : Uuid::parse(record.objectID);
        if (deleted.contains(record.objectID, objectID)) continue;
        const CloudMergedRecord* merged =
            entriesHold && pull.recordKeys[r].mergedBefore ? &*pull.recordKeys[r].mergedBefore : nullptr;
        if (!merged && objectID) merged = memory.find(*objectID);
        if (merged && !record.recordChangeTag.isEmpty() && merged->changeTag == record.recordChangeTag) {
            auto at = position.constFind(merged->id);
            if (at != position.cend() && current(*at).updatedAt == merged->heldUpdatedAt) continue;
        }
        json::Decoded<T> decoded = coding.decode(record);
        if (!decoded) {
            coding.undecodable(record, decoded.error);
            continue;
        }
        T& pulled = *decoded.value;
        // A record filed under another id must not bring back an object deleted in this pull.
        if (deleted.contains(pulled.id)) continue;
        auto at = position.constFind(pulled.id);
        const auto noteSource = [&] {
            const CloudCopySource source = coding.sourceOf ? coding.sourceOf(record) : CloudCopySource::anotherMac;
            changes.fromAnotherMac = changes.fromAnotherMac || source == CloudCopySource::anotherMac;
            changes.fromUnknownMac = changes.fromUnknownMac || source == CloudCopySource::unknown;
        };
        if (at == position.cend()) {
            noteSource();
            at = position.insert(pulled.id, held.size() + changes.added.size());
            changes.added.push_back(std::move(pulled));
        } else if (replaces(*at, pulled, record)) {
            noteSource();
            if (*at >= held.size())
                changes.added[*at - held.size()] = std::move(pulled);
            else
                changes.replaced.insert_or_assign(*at, std::move(pulled));
        }
        if (objectID && !record.recordChangeTag.isEmpty())
            memory.remember(*objectID, {record.recordChangeTag, at.key(), current(*at).updatedAt});
    }
    return changes;
}

// The held copies a pull replaced or deleted: the changes noted of them can win nothing any more.
template <typename T>
void forgetChangesOfLostCopies(CloudUnsentChanges unsent, const std::vector<T>& held,
                               const CloudMergeChanges<T>& changes) {
    for (const size_t at : changes.deleted)
        unsent.forgetObject(held[at].id.toString());
    for (const auto& [at, copy] : changes.replaced)
        unsent.forgetObject(held[at].id.toString());
}

} // namespace nimbrel
