#pragma once

#include "platform/CloudDatabase.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace nimbrel {

class SqliteCloudStore;

// A failure injected into the next database calls that match it.
struct CloudFailure {
    enum class Operation { any, fetch, save, batchFetch, anyFetch };
    Operation operation = Operation::any;
    // Empty: any record; "prefix*": every name that begins with the prefix.
    QString recordName;
    CloudError error;
    // For serverRecordChanged: carry the server's current copy. For partialFailure without
    // `items`: one item error, serverRecordChanged with the server's copy when there is one.
    bool withServerRecord = false;
    // Matching calls let through before this one fails.
    int skip = 0;
    // Only calls about records of this type: a save's own type, for a fetch the type the
    // server holds under the name (empty: any type).
    QString recordType = {};
    // How many matching calls fail; 0: every one, until the failures are cleared.
    int times = 1;
    // Written over the server's copy of the call's record just before the call fails, as
    // another Mac's save that came first would have (single-record calls).
    std::optional<std::map<QString, CloudValue>> serverFields = {};
    // For partialFailure: the failing items, each naming its record in `itemID` (a pattern as
    // `recordName`, replaced by the name it matched). A single-record
    // call fails with them; a batch answers with them in place of those records and with the
    // others as stored. A serverRecordChanged item carries the server's copy with
    // `withServerRecord`.
    std::vector<CloudError> items = {};
};

// Whether `name` is matched by a failure's record name ("prefix*" matches by prefix).
bool cloudNameMatches(const QString& pattern, const QString& name);

// The failures waiting for calls, in the order injected.
class CloudFaults {
  public:
    using Operation = CloudFailure::Operation;
    // The type the server holds under a name (empty when none); asked only of failures that
    // name a type.
    using TypeOf = std::function<QString(const CloudRecordID&)>;

    void add(CloudFailure failure) { failures_.push_back(std::move(failure)); }
    void clear() { failures_.clear(); }
    size_t size() const { return failures_.size(); }

    // The failure that the call (its operation and records) runs into, if any.
    std::optional<CloudFailure> take(Operation operation, const std::vector<CloudRecordID>& ids, const TypeOf& typeOf);

  private:
    std::deque<CloudFailure> failures_;
};

// What a failed single-record call answers, on the worker: writes the failure's server
// fields first, then fills in the server's copy where the failure carries it.
CloudError injectedCloudError(const CloudFailure& failure, SqliteCloudStore& store, const QString& container,
                              const CloudRecordID& id, const QString& recordType);
// What a failed batch answers, on the worker: the whole call fails, or with per-item errors
// the records as stored with those items failing in their place.
CloudResult<CloudBatchResult> injectedCloudBatch(const CloudFailure& failure, SqliteCloudStore& store,
                                                 const QString& container, const std::vector<CloudRecordID>& ids);

// Writes `record` over the server's copy whatever its change tag, as another Mac's save that
// came first; with `keepOtherFields` the stored fields it does not name stay.
CloudResult<CloudRecord> overwriteCloudRecord(SqliteCloudStore& store, const QString& container,
                                              const CloudRecord& record, bool keepOtherFields);

} // namespace nimbrel
