#include "platform/local/CloudFaults.h"

#include "platform/local/SqliteCloudStore.h"

#include <algorithm>

namespace nimbrel {

namespace {

using Operation = CloudFailure::Operation;

bool operationMatches(Operation wanted, Operation call) {
    if (wanted == Operation::any || wanted == call) return true;
    return wanted == Operation::anyFetch && (call == Operation::fetch || call == Operation::batchFetch);
}

std::shared_ptr<const CloudRecord> serverCopy(SqliteCloudStore& store, const QString& container,
                                              const CloudRecordID& id) {
    CloudResult<CloudRecord> server = store.fetch(container, id);
    return server.ok() ? std::make_shared<const CloudRecord>(server.value()) : nullptr;
}

// An item error as the failure gives it, with the server's copy where it carries one.
CloudError itemError(const CloudFailure& failure, CloudError item, SqliteCloudStore& store, const QString& container) {
    if (item.localizedDescription.isEmpty()) item.localizedDescription = CloudError::defaultDescription(item.code);
    if (failure.withServerRecord && item.hasCode(CloudError::serverRecordChanged))
        item.serverRecord = serverCopy(store, container, item.itemID);
    return item;
}

} // namespace

bool cloudNameMatches(const QString& pattern, const QString& name) {
    if (pattern.endsWith(QLatin1Char('*'))) return name.startsWith(QStringView(pattern).chopped(1));
    return pattern == name;
}

std::optional<CloudFailure> CloudFaults::take(Operation operation, const std::vector<CloudRecordID>& ids,
                                              const TypeOf& typeOf) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (!operationMatches(it->operation, operation)) continue;
        const bool named = std::any_of(ids.begin(), ids.end(), [&](const CloudRecordID& id) {
            return (it->recordName.isEmpty() || cloudNameMatches(it->recordName, id.recordName)) &&
                   (it->recordType.isEmpty() || typeOf(id) == it->recordType);
        });
        if (!named) continue;
        if (it->skip > 0) {
            --it->skip;
            return std::nullopt;
        }
        CloudFailure taken = *it;
        if (it->times == 0) return taken;
        if (--it->times == 0) failures_.erase(it);
        return taken;
    }
    return std::nullopt;
}

CloudError injectedCloudError(const CloudFailure& failure, SqliteCloudStore& store, const QString& container,
                              const CloudRecordID& id, const QString& recordType) {
    if (failure.serverFields) {
        CloudRecord written(recordType, id);
        for (const auto& [key, value] : *failure.serverFields)
            written.set(key, value);
        overwriteCloudRecord(store, container, written, false);
    }
    CloudError error = failure.error;
    if (error.hasCode(CloudError::serverRecordChanged) && failure.withServerRecord)
        error.serverRecord = serverCopy(store, container, id);
    if (!error.hasCode(CloudError::partialFailure)) return error;
    if (!failure.items.empty()) {
        for (CloudError item : failure.items) {
            if (cloudNameMatches(item.itemID.recordName, id.recordName)) item.itemID = id;
            error.partialErrorsByItemID.push_back(itemError(failure, item, store, container));
        }
    } else if (failure.withServerRecord) {
        CloudError item = CloudError::make(CloudError::serverRecordChanged, {});
        item.itemID = id;
        error.partialErrorsByItemID.push_back(itemError(failure, item, store, container));
    }
    return error;
}

CloudResult<CloudBatchResult> injectedCloudBatch(const CloudFailure& failure, SqliteCloudStore& store,
                                                 const QString& container, const std::vector<CloudRecordID>& ids) {
    if (!failure.error.hasCode(CloudError::partialFailure) || failure.items.empty()) return failure.error;
    CloudResult<CloudBatchResult> result = store.fetchMany(container, ids);
    if (!result.ok()) return result;
    for (auto& [id, one] : result.value()) {
        const QString& recordName = id.recordName; // clang cannot capture a structured binding
        const auto item = std::find_if(failure.items.begin(), failure.items.end(), [&](const CloudError& e) {
            return cloudNameMatches(e.itemID.recordName, recordName);
        });
        if (item == failure.items.end()) continue;
        CloudError named = *item;
        named.itemID = id;
        one = itemError(failure, named, store, container);
    }
    return result;
}

CloudResult<CloudRecord> overwriteCloudRecord(SqliteCloudStore& store, const QString& container,
                                              const CloudRecord& record, bool keepOtherFields) {
    CloudRecord written = record;
    CloudResult<CloudRecord> current = store.fetch(container, record.recordID());
    if (current.ok()) {
        if (keepOtherFields) {
            written = current.value();
            for (const auto& [key, value] : record.fields())
                written.set(key, value);
        }
        written.setRecordChangeTag(current.value().recordChangeTag());
    } else {
        written.setRecordChangeTag({});
    }
    CloudResult<CloudRecord> saved = store.save(container, written);
    // A row that cannot be read still has a tag: the conflict names it.
    if (!saved.ok() && saved.error().serverRecord) {
        written.setRecordChangeTag(saved.error().serverRecord->recordChangeTag());
        saved = store.save(container, written);
    }
    return saved;
}

} // namespace nimbrel
