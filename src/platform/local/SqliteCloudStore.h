#pragma once

#include "platform/CloudDatabase.h"
#include "platform/local/CloudFileLock.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

#include <sys/types.h>

struct sqlite3;
struct sqlite3_stmt;

namespace nimbrel {

// The records of every container in one SQLite file (write-ahead log, so several processes
// can share it). A save compares the change tag and writes the record in one immediate
// transaction, so of two processes saving the same copy only the first succeeds.
// Calls are blocking and serialised; they are meant for a worker thread. Each call first looks
// whether the file at the path is still the one open (another process may have set it aside as
// damaged) and opens the one there when not; a save whose file was replaced while it wrote is
// written again to the new one. A damaged file is set aside by one process at a time, and by
// none while another opens the file or works in it (see CloudFileLock).
class SqliteCloudStore {
  public:
    // How long a call waits for another process's lock before it fails as busy.
    static constexpr int kBusyTimeoutMs = 10000;

    explicit SqliteCloudStore(QString path, int busyTimeoutMs = kBusyTimeoutMs);
    ~SqliteCloudStore();
    SqliteCloudStore(const SqliteCloudStore&) = delete;
    SqliteCloudStore& operator=(const SqliteCloudStore&) = delete;

    static constexpr int kFormatVersion = 1;
    // A record's fields as stored: far beyond what a record of this program holds (the cloud's
    // own records stop at a megabyte). Larger fields are not read (the row reads as damaged)
    // nor written, and no value of the file is read into memory beyond it.
    static constexpr int kMaxFieldsBytes = 16 * 1024 * 1024;

    CloudResult<CloudRecord> fetch(const QString& container, const CloudRecordID& id);
    CloudResult<CloudRecord> save(const QString& container, const CloudRecord& record);
    CloudResult<CloudBatchResult> fetchMany(const QString& container, const std::vector<CloudRecordID>& ids);
    // Leaves the stored row of `id` with fields that cannot be read, as a damaged file would (its
    // type and tag stay); false when there is no such row or the file could not be written.
    bool damageFields(const QString& container, const CloudRecordID& id);

    const QString& path() const { return path_; }
    // Why the last damaged file found was set aside, and where it went, or why it stayed (empty
    // when none was found).
    QString setAsideProblem() const;
    // The problem above the first time it is asked for after it changed, else empty.
    QString takeSetAsideNotice();
    // From now on no call waits for another process's lock (the program is quitting); one that
    // waits gives up within a moment. Callable from any thread.
    void stopWaiting() { stopWaiting_ = true; }
    // For tests: runs at each of these steps, in the middle of the call that makes it.
    enum class Step {
        written,      // a save's write, before the store looks whether the file is still at its path
        settingAside, // a damaged file and its log kept aside, the file's name at the path gone, the log's not yet
        damageFound,  // a damaged file found as it opened, the lock let go before it is taken to set the file aside
        opened,       // a file opened, before the store looks whether it is the one at the path
        lockTaken,    // the lock beside the file taken, before it is looked for at its path
        strayFound,   // a log or shared memory found at the path without a file, the lock let go before it is
                      // taken exclusively to drop them
    };
    void setStepHookForTesting(std::function<void(Step)> hook) { stepHookForTesting_ = std::move(hook); }

  private:
    // A file as the system knows it, whatever its name.
    struct FileIdentity {
        dev_t device;
        ino_t inode;
        friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    };
    std::optional<FileIdentity> identityAtPath() const;
    bool isStillAtPath() const { return openIdentity_ && identityAtPath() == openIdentity_; }
    struct CallHold;
    // Takes the lock beside the file; a lock that cannot be made or is not given in time fails the call.
    bool lockFile(CloudFileLock::Mode mode, CloudError* error);
    // Opens the file at the path unless the one open is still there; with the lock held shared.
    bool ensureOpen(CloudError* error);
    // Drops a log or shared memory lying at the path without a file there, which a new file would
    // take for its own; false when one stays. With the lock held shared, as after.
    bool dropStrays(CloudError* error);
    // SQLITE_OK, or the primary code of what failed (what the integrity check finds is SQLITE_CORRUPT);
    // `found` is the file that failed, when one was opened.
    int openFile(QString* problem, std::optional<FileIdentity>* found);
    bool execWaitingForLock(const char* sql);
    int prepareStatements(QString* problem);
    static int waitForLock(void* store, int attempts);
    void close();
    CloudResult<CloudRecord> saveInOpenFile(const QString& container, const CloudRecord& record,
                                            const QByteArray& fields);
    // Sets the `damaged` file aside holding the lock exclusively, unless another process did so
    // first; false (with the lock held shared again, as before) when it stays where it is.
    bool setAsideAlone(const FileIdentity& damaged, const QString& problem, CloudError* error);
    // Moves the damaged file and its log aside, together; false when they stay where they are.
    bool setAside(const QString& problem);
    void reachedStep(Step step) {
        if (stepHookForTesting_) stepHookForTesting_(step);
    }
    enum class RowState { good, damaged, databaseFailed };
    // A damaged row comes back with its type and tag and no fields.
    CloudResult<CloudRecord> readRow(const QString& container, const CloudRecordID& id, RowState* state);
    static CloudError damagedRecord(const CloudRecordID& id);
    // The error of the engine's last step that failed, or the one given.
    CloudError failure(const QString& what) const;
    static CloudError failure(const QString& what, int code, const QString& text);

    QString path_;
    QByteArray encodedPath_;
    int busyTimeoutMs_;
    std::atomic<bool> stopWaiting_ = false;
    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;
    std::optional<FileIdentity> openIdentity_;
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* upsert_ = nullptr;
    CloudFileLock fileLock_;
    QString setAsideProblem_;
    // What the row reads bind, kept between calls.
    QString boundContainer_;
    QByteArray boundContainerUtf8_;
    QByteArray nameBuffer_;
    bool setAsideNoticeTaken_ = false;
    std::function<void(Step)> stepHookForTesting_;
};

} // namespace nimbrel
