#include "sync/CloudSyncManager.h"

#include <QSet>

// The save through which every record is written: fetch the server's copy, copy the new
// record's fields onto it and save that; on a conflict, once more onto the copy the server
// sends back. At most two fetches and three saves, never a loop.

namespace nimbrel {

namespace {

using Rules = NimbrelCloudSyncManager::MergeRules;

// The server's copy is kept as it is when it is newer than the record.
bool serverIsNewer(const CloudRecord& server, const CloudRecord& record, const Rules& rules) {
    if (!rules.keepNewerServerCopy) return false;
    const auto serverDate = server.date(QStringLiteral("updatedAt"));
    const auto ourDate = record.date(QStringLiteral("updatedAt"));
    return serverDate && ourDate && *serverDate > *ourDate;
}

// R's fields (and the fields R removed) onto S.
CloudRecord merged(CloudRecord server, const CloudRecord& record, const Rules& rules) {
    for (const auto& [key, value] : record.fields()) {
        const QStringList* ours = std::get_if<QStringList>(&value);
        const auto theirs = server.textList(key);
        if (rules.uniteTextLists && ours && theirs)
            server.set(key, unitedIDs(*theirs, *ours));
        else
            server.set(key, value);
    }
    for (const QString& key : record.removedKeys())
        server.remove(key);
    return server;
}

// One merge: its record, its rules, where it ends.
struct Merge {
    CloudRecord record;
    Rules rules;
    std::function<void(CloudMergedSave)> done;
    bool keptServerCopy = false;
    bool replacingUnreadable = false;

    void end(CloudResult<CloudRecord> result) { done({std::move(result), keptServerCopy, replacingUnreadable}); }
};

} // namespace

// A set, not a search of the list per id: registries list thousands of ids.
QStringList unitedIDs(const QStringList& first, const QStringList& more) {
    QStringList out = first;
    QSet<QString> listed(first.begin(), first.end());
    for (const QString& id : more)
        if (!listed.contains(id)) {
            listed.insert(id);
            out.append(id);
        }
    return out;
}

std::optional<CloudRecord> NimbrelCloudSyncManager::serverRecord(const CloudError& error) {
    for (const CloudError& item : error.partialErrorsByItemID)
        if (item.hasCode(CloudError::serverRecordChanged) && item.serverRecord) return *item.serverRecord;
    return std::nullopt;
}

void NimbrelCloudSyncManager::saveRecordMergingServerCopy(const CloudRecord& record,
                                                          Completion<CloudResult<CloudRecord>> done, MergeRules rules) {
    mergeSave(record, rules, [done = std::move(done)](CloudMergedSave saved) { done(std::move(saved.result)); });
}

void NimbrelCloudSyncManager::mergeSave(const CloudRecord& record, MergeRules rules, Completion<CloudMergedSave> done) {
    auto reported = [weak = weak_from_this(), name = record.recordID().recordName,
                     done = std::move(done)](CloudMergedSave saved) {
        if (auto self = weak.lock(); self && saved.replacedUnreadableRecord && saved.result.ok())
            self->noteReplacedRecord(name);
        done(std::move(saved));
    };
    auto merge = std::make_shared<Merge>(Merge{record, rules, std::move(reported)});
    auto self = shared_from_this();
    // The server's newer copy ends the merge as it is.
    auto keep = [merge](const CloudRecord& server) {
        merge->keptServerCopy = true;
        merge->end(server);
    };

    // Saves R's fields onto `server` once; its answer ends the merge.
    auto saveOnto = [self, merge, keep](const CloudRecord& server) {
        if (serverIsNewer(server, merge->record, merge->rules)) return keep(server);
        self->saveRecord(merged(server, merge->record, merge->rules),
                         [merge](CloudResult<CloudRecord> result) { merge->end(std::move(result)); });
    };

    // Step 4: R itself, then once more onto what the failure tells of the server's copy.
    auto saveItself = [self, merge, saveOnto] {
        self->saveRecord(merge->record, [self, merge, saveOnto](CloudResult<CloudRecord> result) {
            if (result.ok() || !result.error().isCloudError()) return merge->end(std::move(result));
            const CloudError failure = result.error();
            if (failure.serverRecord) return saveOnto(*failure.serverRecord);
            self->fetchRecord(merge->record.recordID(), [merge, saveOnto, failure](CloudResult<CloudRecord> fetched) {
                if (!fetched.ok()) return merge->end(failure);
                saveOnto(fetched.value());
            });
        });
    };

    // Step 3: what a failure of the first fetch or of the first merged save leads to.
    auto recover = [merge, saveItself, saveOnto](const CloudError& error) {
        if (!error.isCloudError()) return merge->end(error);
        // A record that is there but cannot be read is written anew, as a missing one is.
        if (error.unreadableRecord) {
            merge->replacingUnreadable = true;
            return saveItself();
        }
        switch (error.code) {
        case CloudError::unknownItem:
            return saveItself();
        case CloudError::serverRecordChanged:
            if (error.serverRecord) return saveOnto(*error.serverRecord);
            return merge->end(error);
        case CloudError::partialFailure:
            if (auto server = serverRecord(error)) return saveOnto(*server);
            return merge->end(error);
        default:
            return merge->end(error);
        }
    };

    // Steps 1 and 2.
    fetchRecord(record.recordID(), [self, merge, recover, keep](CloudResult<CloudRecord> fetched) {
        if (!fetched.ok()) return recover(fetched.error());
        if (serverIsNewer(fetched.value(), merge->record, merge->rules)) return keep(fetched.value());
        self->saveRecord(merged(fetched.value(), merge->record, merge->rules),
                         [merge, recover](CloudResult<CloudRecord> saved) {
                             if (saved.ok()) return merge->end(std::move(saved));
                             recover(saved.error());
                         });
    });
}

} // namespace nimbrel
