#pragma once

#include "platform/Date.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <variant>
#include <vector>

namespace nimbrel {

// The cloud record database: one container per identifier, its private database, records in
// the default zone reached by name. There are no queries, zones or deletions.

struct CloudRecordID {
    QString recordName;

    friend bool operator==(const CloudRecordID&, const CloudRecordID&) = default;
    friend bool operator<(const CloudRecordID& a, const CloudRecordID& b) { return a.recordName < b.recordName; }
};

// What a field holds: a flag, an integer, text, a date, bytes or a list of texts.
using CloudValue = std::variant<bool, qint64, QString, Date, QByteArray, QStringList>;

enum class CloudValueKind { flag, integer, text, date, bytes, textList };
CloudValueKind kindOf(const CloudValue& value);

// A record's fields by name, in the order of the names. A record has few, so they are kept side by
// side rather than in a tree: a pull reads thousands of records, each field found by name.
class CloudFields {
  public:
    using value_type = std::pair<QString, CloudValue>;
    using const_iterator = std::vector<value_type>::const_iterator;

    CloudFields() = default;
    // A later field of the same name replaces an earlier one.
    CloudFields(std::initializer_list<value_type> fields);

    const_iterator begin() const { return fields_.begin(); }
    const_iterator end() const { return fields_.end(); }
    size_t size() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }
    const_iterator find(const QString& key) const;
    void reserve(size_t count) { fields_.reserve(count); }
    // Adds the field, or replaces the value of the one of that name.
    void set(const QString& key, CloudValue value);
    bool erase(const QString& key);

    friend bool operator==(const CloudFields&, const CloudFields&) = default;

  private:
    std::vector<value_type> fields_;
};

// One record: type, id, typed fields and the server's change tag (empty until saved once).
class CloudRecord {
  public:
    CloudRecord() = default;
    CloudRecord(QString recordType, CloudRecordID id) : type_(std::move(recordType)), id_(std::move(id)) {}

    const QString& recordType() const { return type_; }
    const CloudRecordID& recordID() const { return id_; }
    const QString& recordChangeTag() const { return changeTag_; }
    void setRecordChangeTag(QString tag) { changeTag_ = std::move(tag); }

    // The names of the fields that hold a value, sorted.
    QStringList allKeys() const;
    std::optional<CloudValue> value(const QString& key) const;
    const CloudFields& fields() const { return fields_; }
    void set(const QString& key, CloudValue value);
    // Every field at once, in place of those held; none counts as removed.
    void setFields(CloudFields fields) {
        fields_ = std::move(fields);
        removed_.clear();
    }
    // Leaves the field absent; a save merged onto another copy removes it there too.
    void remove(const QString& key);
    // Fields removed since the record was made or fetched.
    const std::set<QString>& removedKeys() const { return removed_; }
    void clearRemovedKeys() { removed_.clear(); }

    // Typed reads: nullopt when the field is absent or holds another kind.
    std::optional<bool> flag(const QString& key) const { return read<bool>(key); }
    std::optional<qint64> integer(const QString& key) const { return read<qint64>(key); }
    std::optional<QString> text(const QString& key) const { return read<QString>(key); }
    std::optional<Date> date(const QString& key) const { return read<Date>(key); }
    std::optional<QByteArray> bytes(const QString& key) const { return read<QByteArray>(key); }
    std::optional<QStringList> textList(const QString& key) const { return read<QStringList>(key); }

    friend bool operator==(const CloudRecord&, const CloudRecord&) = default;

  private:
    template <typename T> std::optional<T> read(const QString& key) const {
        auto it = fields_.find(key);
        if (it == fields_.end()) return std::nullopt;
        if (const T* v = std::get_if<T>(&it->second)) return *v;
        return std::nullopt;
    }

    QString type_;
    CloudRecordID id_;
    QString changeTag_;
    CloudFields fields_;
    std::set<QString> removed_;
};

inline const QString kCloudErrorDomain = QStringLiteral("CKErrorDomain");

// An error of a cloud operation. Errors of the cloud have the domain kCloudErrorDomain and
// one of the codes below; others (a record that could not be built) carry their own domain.
struct CloudError {
    enum Code : int {
        internalError = 1,
        partialFailure = 2,
        networkUnavailable = 3,
        networkFailure = 4,
        serviceUnavailable = 6,
        notAuthenticated = 9,
        unknownItem = 11,
        serverRecordChanged = 14,
        serverRejectedRequest = 15,
        limitExceeded = 27,
    };

    QString domain = kCloudErrorDomain;
    int code = internalError;
    QString localizedDescription;
    // The server's current copy of a conflicting record (serverRecordChanged).
    std::shared_ptr<const CloudRecord> serverRecord;
    // Per-item errors of a partial failure, in the order the items were given; each names
    // its record in `itemID`.
    std::vector<CloudError> partialErrorsByItemID;
    CloudRecordID itemID;
    // The record is there but its fields cannot be read (a damaged row): a save may write it anew.
    bool unreadableRecord = false;

    bool isCloudError() const { return domain == kCloudErrorDomain; }
    bool hasCode(int c) const { return isCloudError() && code == c; }

    static CloudError make(int code, QString description);
    // The standard description of a code, for failures that come without one.
    static QString defaultDescription(int code);
};

// A value or the error that stands in its place.
template <typename T> class CloudResult {
  public:
    CloudResult(T value) : value_(std::move(value)) {}
    CloudResult(CloudError error) : error_(std::move(error)) {}

    bool ok() const { return value_.has_value(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const CloudError& error() const { return *error_; }

  private:
    std::optional<T> value_;
    std::optional<CloudError> error_;
};

// The answer of a batch fetch: one entry per distinct id asked for, in the order asked.
using CloudBatchResult = std::vector<std::pair<CloudRecordID, CloudResult<CloudRecord>>>;

// The account's state for a container, as the platform reports it.
enum class CloudAccountState { couldNotDetermine, available, restricted, noAccount, temporarilyUnavailable };

// A private database. Completions come later on the main thread, each exactly once.
class CloudDatabase {
  public:
    using RecordCompletion = std::function<void(CloudResult<CloudRecord>)>;
    using BatchCompletion = std::function<void(CloudResult<CloudBatchResult>)>;

    virtual ~CloudDatabase() = default;
    // A missing record fails with unknownItem.
    virtual void fetchRecord(const CloudRecordID& id, RecordCompletion completion) = 0;
    // A record whose change tag is not the server's fails with serverRecordChanged carrying
    // the server's copy; a new record (no tag) whose name exists fails the same way; a record
    // with a tag whose name no longer exists fails with unknownItem. Success returns the saved
    // copy with its new tag.
    virtual void saveRecord(const CloudRecord& record, RecordCompletion completion) = 0;
    // All fields of every record; a missing record is an unknownItem entry, not a failure.
    virtual void fetchRecords(const std::vector<CloudRecordID>& ids, BatchCompletion completion) = 0;
};

class CloudContainer {
  public:
    using AccountCompletion = std::function<void(CloudAccountState, std::optional<CloudError>)>;

    virtual ~CloudContainer() = default;
    virtual const QString& identifier() const = 0;
    virtual void accountStatus(AccountCompletion completion) = 0;
    virtual CloudDatabase& privateCloudDatabase() = 0;
};

// Containers by identifier; the same identifier gives the same container.
class CloudService {
  public:
    virtual ~CloudService() = default;
    virtual std::shared_ptr<CloudContainer> container(const QString& identifier) = 0;
    // Told on the main thread, once, when the records' storage was found damaged and set aside
    // (also when that happened before the handler was given). Where nothing is stored locally,
    // nothing is told.
    virtual void setDamageHandler(std::function<void(const QString& problem)> handler) { (void)handler; }
};

} // namespace nimbrel
