#include "platform/local/SqliteCloudStore.h"

#include "platform/Files.h"
#include "platform/local/CloudFieldCoding.h"

#include <QDateTime>
#include <QFile>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {

namespace {

// Between two looks at a lock held by another process.
constexpr int kLockPollMs = 10;
// Writes of one save, each made again because its file was replaced meanwhile, before the save fails.
constexpr int kWritesWhileReplaced = 3;

const char* const kSchema = "CREATE TABLE IF NOT EXISTS records("
                            " container TEXT NOT NULL,"
                            " name TEXT NOT NULL,"
                            " type TEXT NOT NULL,"
                            " tag INTEGER NOT NULL,"
                            " fields BLOB NOT NULL,"
                            " PRIMARY KEY(container, name)) WITHOUT ROWID";

QString lastError(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// What the engine said of a step that failed.
struct EngineError {
    int code = SQLITE_OK;
    QString text;
};

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void bindText(sqlite3_stmt* statement, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

// `text` as UTF-8 in `buffer`, whose storage is reused for the plain ASCII of record names.
const QByteArray& utf8Into(const QString& text, QByteArray& buffer) {
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    if (!std::all_of(chars, chars + text.size(), [](char16_t c) { return c < 0x80; })) {
        buffer = text.toUtf8();
        return buffer;
    }
    buffer.resize(text.size());
    std::transform(chars, chars + text.size(), buffer.data(), [](char16_t c) { return char(c); });
    return buffer;
}

// A record type read from a row: the few types come back as the same shared texts, not as a new
// text for every row.
QString columnRecordType(sqlite3_stmt* statement, int column) {
    const QByteArrayView utf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                              sqlite3_column_bytes(statement, column));
    thread_local std::vector<std::pair<QByteArray, QString>> types;
    for (const auto& [bytes, type] : types)
        if (bytes == utf8) return type;
    if (types.size() >= 16) types.erase(types.begin());
    types.emplace_back(utf8.toByteArray(), QString::fromUtf8(utf8));
    return types.back().second;
}

// Ends a transaction on every path; rolls back unless committed.
class Transaction {
  public:
    Transaction(sqlite3* db, const char* begin) : db_(db), open_(exec(db, begin)) {}
    ~Transaction() {
        if (open_) exec(db_, "ROLLBACK");
    }
    bool isOpen() const { return open_; }
    // False with the COMMIT's error in `failed`: the engine may have rolled back already (a full
    // disk), and a ROLLBACK's own error must not take its place.
    bool commit(EngineError* failed) {
        open_ = false;
        if (exec(db_, "COMMIT")) return true;
        *failed = {sqlite3_errcode(db_), lastError(db_)};
        if (!sqlite3_get_autocommit(db_)) exec(db_, "ROLLBACK");
        return false;
    }

  private:
    sqlite3* db_;
    bool open_;
};

// Resets a statement on every path.
struct StatementUse {
    sqlite3_stmt* statement;
    ~StatementUse() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
};

} // namespace

// Why the lock's scope is enough: the file at the path is only ever opened, made, looked at or
// worked in by a call holding the lock shared, and moved aside only under it held exclusively. So
// no call finds the path in the middle of a set-aside (where a new file would take the damaged
// one's shared memory), and none commits into a file while it moves: a call ends before the move
// begins, its write in the file set aside and found there, or starts after it, finds another file
// at the path and works in that one. The last close holds it too (see the destructor).
struct SqliteCloudStore::CallHold {
    explicit CallHold(SqliteCloudStore& store) : store(store) {
        opened = store.lockFile(CloudFileLock::Mode::shared, &error) && store.ensureOpen(&error);
    }
    ~CallHold() { store.fileLock_.release(); }
    CallHold(const CallHold&) = delete;
    CallHold& operator=(const CallHold&) = delete;

    SqliteCloudStore& store;
    CloudError error;
    bool opened = false;
};

SqliteCloudStore::SqliteCloudStore(QString path, int busyTimeoutMs)
    : path_(std::move(path)), encodedPath_(QFile::encodeName(path_)), busyTimeoutMs_(busyTimeoutMs),
      fileLock_(path_ + QStringLiteral("-lock"), [this] { reachedStep(Step::lockTaken); }) {}

// The engine, closing the last connection to the file, copies the log into it and deletes the
// log and the shared memory by their names at the path: the lock held shared keeps the file there
// meanwhile, so the names stay its own. When another process holds the lock (it sets the file
// aside), the engine is told to leave them instead; the next call's opening reads the log.
SqliteCloudStore::~SqliteCloudStore() {
    QString why;
    const auto atOnce = [](int) { return false; };
    if (db_ && fileLock_.take(CloudFileLock::Mode::shared, atOnce, &why) != CloudFileLock::Outcome::taken)
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    close();
    fileLock_.release();
}

std::optional<SqliteCloudStore::FileIdentity> SqliteCloudStore::identityAtPath() const {
    struct stat st {};
    if (::stat(encodedPath_.constData(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

QString SqliteCloudStore::setAsideProblem() const {
    std::lock_guard lock(mutex_);
    return setAsideProblem_;
}

QString SqliteCloudStore::takeSetAsideNotice() {
    std::lock_guard lock(mutex_);
    if (setAsideProblem_.isEmpty() || setAsideNoticeTaken_) return {};
    setAsideNoticeTaken_ = true;
    return setAsideProblem_;
}

// The engine itself leaves the log and the shared memory of a file that was moved alone (closing
// may otherwise copy the log into the file and delete both by their names, now another file's).
void SqliteCloudStore::close() {
    sqlite3_finalize(select_);
    sqlite3_finalize(upsert_);
    select_ = upsert_ = nullptr;
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    openIdentity_.reset();
}

int SqliteCloudStore::waitForLock(void* store, int attempts) {
    const auto* self = static_cast<const SqliteCloudStore*>(store);
    if (self->stopWaiting_ || attempts * kLockPollMs >= self->busyTimeoutMs_) return 0;
    sqlite3_sleep(kLockPollMs);
    return 1;
}

// The engine answers "busy" at once, without asking the busy handler, where waiting could
// deadlock: the switch to write-ahead logging while another connection opens the same new file
// is one such place. Both only ever hold the lock briefly, so the open waits here as it would
// for any lock.
bool SqliteCloudStore::execWaitingForLock(const char* sql) {
    for (int attempts = 0;; ++attempts) {
        const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
        if (code == SQLITE_OK) return true;
        if ((code & 0xff) != SQLITE_BUSY || !waitForLock(this, attempts)) return false;
    }
}

bool SqliteCloudStore::lockFile(CloudFileLock::Mode mode, CloudError* error) {
    QString why;
    const CloudFileLock::Outcome outcome = fileLock_.take(
        mode, [this](int attempts) { return waitForLock(this, attempts) != 0; }, &why);
    if (outcome == CloudFileLock::Outcome::taken) return true;
    *error = outcome == CloudFileLock::Outcome::busy
                 ? CloudError::make(CloudError::serviceUnavailable,
                                    QStringLiteral("The cloud database is busy: %1").arg(why))
                 : CloudError::make(CloudError::internalError,
                                    QStringLiteral("The cloud database could not be opened: %1").arg(why));
    return false;
}

int SqliteCloudStore::openFile(QString* problem, std::optional<FileIdentity>* found) {
    // The file found at the path before the opening and after it: the same both times is the one opened.
    const std::optional<FileIdentity> before = identityAtPath();
    found->reset();
    auto failed = [this, problem, found, &before](int code, const QString& text) {
        *problem = text;
        if (db_ && identityAtPath() == before) *found = before;
        close();
        return code & 0xff;
    };
    if (const int code = sqlite3_open_v2(encodedPath_.constData(), &db_,
                                         SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
        code != SQLITE_OK)
        return failed(code, lastError(db_));
    sqlite3_busy_handler(db_, &SqliteCloudStore::waitForLock, this);
    // Whatever another program wrote into the file, no text or blob is read beyond this.
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, kMaxFieldsBytes);
    // Reading the header finds a file that is not a database at all.
    sqlite3_stmt* check = nullptr;
    QString verdict;
    int code = sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &check, nullptr);
    if (code == SQLITE_OK) {
        code = sqlite3_step(check);
        if (code == SQLITE_ROW) verdict = columnText(check, 0);
    }
    const QString error = lastError(db_);
    sqlite3_finalize(check);
    if (code != SQLITE_ROW) return failed(code, error);
    if (verdict != QStringLiteral("ok")) return failed(SQLITE_CORRUPT, verdict);
    if (!execWaitingForLock("PRAGMA journal_mode=WAL") || !exec(db_, "PRAGMA synchronous=NORMAL") ||
        !execWaitingForLock(kSchema))
        return failed(sqlite3_errcode(db_), lastError(db_));
    reachedStep(Step::opened);
    openIdentity_ = identityAtPath();
    if (before && openIdentity_ != before)
        return failed(SQLITE_BUSY, QStringLiteral("the file was replaced while it was being opened"));
    return prepareStatements(problem);
}

int SqliteCloudStore::prepareStatements(QString* problem) {
    // Fields above the bound come back as NULL without being read: their row is damaged.
    const char* select = "SELECT type, tag, CASE WHEN length(fields) <= ?3 THEN fields END FROM records"
                         " WHERE container = ?1 AND name = ?2";
    const char* upsert = "INSERT INTO records(container, name, type, tag, fields) VALUES(?1, ?2, ?3, ?4, ?5)"
                         " ON CONFLICT(container, name) DO UPDATE SET type = ?3, tag = ?4, fields = ?5";
    if (sqlite3_prepare_v2(db_, select, -1, &select_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_, upsert, -1, &upsert_, nullptr) != SQLITE_OK) {
        const int code = sqlite3_errcode(db_) & 0xff;
        *problem = lastError(db_);
        close();
        return code;
    }
    return SQLITE_OK;
}

bool SqliteCloudStore::setAsideAlone(const FileIdentity& damaged, const QString& problem, CloudError* error) {
    // Held shared, the lock is let go first anyway to be taken exclusively.
    fileLock_.release();
    reachedStep(Step::damageFound);
    if (!lockFile(CloudFileLock::Mode::exclusive, error)) return false;
    // Another process may have set it aside between the two locks: the file there now is opened.
    const bool moved = identityAtPath() != damaged || setAside(problem);
    fileLock_.release();
    if (!lockFile(CloudFileLock::Mode::shared, error)) return false;
    if (!moved)
        *error = CloudError::make(CloudError::internalError,
                                  QStringLiteral("The cloud database could not be opened: %1").arg(problem));
    return moved;
}

bool SqliteCloudStore::setAside(const QString& problem) {
    // Whole at every step, also where the process dies: the file and its log get their kept names
    // first (the log's first), then the path's names go: the shared memory's, the file's (so that no
    // call opens it there without its log), the log's. What is left at the path without the file (the
    // process died before the last, or a name would not go) is another file's: the log a second name
    // of the kept one, which the engine, when it is empty, would take for the new file's own and
    // write into. It goes before a file is made there (dropStrays).
    const std::optional<QString> aside =
        keepAsideWith(path_, {QStringLiteral("-wal")}, QStringLiteral("damaged")); // a free name, never another's
    if (aside) dropName(path_ + QStringLiteral("-shm"));
    const bool moved = aside && dropName(path_);
    if (moved) {
        reachedStep(Step::settingAside);
        dropName(path_ + QStringLiteral("-wal"));
    } else if (aside) {
        QFile::remove(*aside);
        QFile::remove(*aside + QStringLiteral("-wal"));
    }
    const QString text =
        moved ? QStringLiteral("The cloud database file was damaged (%1) and was kept as %2.").arg(problem, *aside)
              : QStringLiteral("The cloud database file was damaged (%1) and could not be moved aside; it was left "
                               "as it is.")
                    .arg(problem);
    // Each file set aside is told of; a file that stays where it is, once for as long as it stays.
    if (moved || text != setAsideProblem_) setAsideNoticeTaken_ = false;
    setAsideProblem_ = text;
    return moved;
}

bool SqliteCloudStore::dropStrays(CloudError* error) {
    const QString names[] = {path_ + QStringLiteral("-wal"), path_ + QStringLiteral("-shm")};
    const auto strayAtPath = [&] {
        return !identityAtPath() && std::any_of(std::begin(names), std::end(names), nameExists);
    };
    if (!strayAtPath()) return true;
    // Held exclusively, so that no other call makes the file meanwhile.
    fileLock_.release();
    reachedStep(Step::strayFound);
    if (!lockFile(CloudFileLock::Mode::exclusive, error)) return false;
    QString stays;
    for (const QString& name : names)
        if (!identityAtPath() && !dropName(name) && stays.isEmpty())
            stays = QStringLiteral("%1 (%2)").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
    fileLock_.release();
    if (!lockFile(CloudFileLock::Mode::shared, error)) return false;
    if (stays.isEmpty()) return true;
    *error = CloudError::make(
        CloudError::internalError,
        QStringLiteral("The cloud database could not be opened: a log or shared memory without its file lies at "
                       "its path and could not be removed: %1")
            .arg(stays));
    return false;
}

bool SqliteCloudStore::ensureOpen(CloudError* error) {
    if (db_) {
        if (isStillAtPath()) return true;
        // Set aside by another process (or gone): the file at the path now is the cloud, opened
        // (or made) as at a start, and a damaged one is set aside in turn.
        close();
    }
    if (!dropStrays(error)) return false;
    QString problem;
    std::optional<FileIdentity> found;
    int code = openFile(&problem, &found);
    // Only a file that the engine finds is no database, or damaged, as it opens it is set aside
    // (one that goes bad while open fails its calls); one that cannot be moved is tried again at
    // the next call. Any other failure (a lock another process holds, an I/O error) is reported
    // and leaves the file alone; the next call tries again.
    if ((code == SQLITE_NOTADB || code == SQLITE_CORRUPT) && found) {
        if (!setAsideAlone(*found, problem, error) || !dropStrays(error)) return false;
        code = openFile(&problem, &found);
    }
    if (code == SQLITE_OK) return true;
    const bool busy = code == SQLITE_BUSY || code == SQLITE_LOCKED;
    *error = CloudError::make(busy ? CloudError::serviceUnavailable : CloudError::internalError,
                              QStringLiteral("The cloud database could not be opened: %1").arg(problem));
    return false;
}

CloudError SqliteCloudStore::failure(const QString& what) const {
    return failure(what, db_ ? sqlite3_errcode(db_) : SQLITE_ERROR, lastError(db_));
}

CloudError SqliteCloudStore::failure(const QString& what, int code, const QString& text) {
    if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
        return CloudError::make(CloudError::internalError,
                                QStringLiteral("The cloud database file is damaged: %1").arg(text));
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return CloudError::make(CloudError::serviceUnavailable,
                                QStringLiteral("The cloud database is busy: %1").arg(text));
    return CloudError::make(CloudError::internalError, QStringLiteral("%1: %2").arg(what, text));
}

CloudResult<CloudRecord> SqliteCloudStore::readRow(const QString& container, const CloudRecordID& id, RowState* state) {
    *state = RowState::good;
    // Bound in place, a pull reads thousands of rows: the texts outlive the statement's use, and
    // the container's stays from call to call.
    if (container != boundContainer_) {
        boundContainer_ = container;
        boundContainerUtf8_ = container.toUtf8();
    }
    const QByteArray& nameUtf8 = utf8Into(id.recordName, nameBuffer_);
    StatementUse use{select_};
    sqlite3_bind_text(select_, 1, boundContainerUtf8_.constData(), int(boundContainerUtf8_.size()), SQLITE_STATIC);
    sqlite3_bind_text(select_, 2, nameUtf8.constData(), int(nameUtf8.size()), SQLITE_STATIC);
    sqlite3_bind_int(select_, 3, kMaxFieldsBytes);
    const int step = sqlite3_step(select_);
    if (step == SQLITE_DONE) return CloudError::make(CloudError::unknownItem, {});
    if (step != SQLITE_ROW) {
        *state = RowState::databaseFailed;
        return failure(QStringLiteral("The cloud database could not be read"));
    }
    CloudRecord record(columnRecordType(select_, 0), id);
    record.setRecordChangeTag(QString::number(sqlite3_column_int64(select_, 1)));
    const bool withinBound = sqlite3_column_type(select_, 2) != SQLITE_NULL;
    // Read in place: the decoded fields copy what they keep before the statement moves on.
    const QByteArray blob = QByteArray::fromRawData(static_cast<const char*>(sqlite3_column_blob(select_, 2)),
                                                    sqlite3_column_bytes(select_, 2));
    if (auto fields = withinBound ? decodeCloudFields(blob) : std::nullopt) {
        record.setFields(std::move(*fields));
    } else {
        *state = RowState::damaged; // type and tag are known; the fields are lost
    }
    return record;
}

CloudError SqliteCloudStore::damagedRecord(const CloudRecordID& id) {
    CloudError error =
        CloudError::make(CloudError::internalError,
                         QStringLiteral("The cloud database holds a damaged record \"%1\".").arg(id.recordName));
    error.unreadableRecord = true;
    return error;
}

CloudResult<CloudRecord> SqliteCloudStore::fetch(const QString& container, const CloudRecordID& id) {
    std::lock_guard lock(mutex_);
    const CallHold hold(*this);
    if (!hold.opened) return hold.error;
    RowState state;
    CloudResult<CloudRecord> result = readRow(container, id, &state);
    if (state == RowState::damaged) return damagedRecord(id);
    return result;
}

CloudResult<CloudRecord> SqliteCloudStore::save(const QString& container, const CloudRecord& record) {
    if (!hasOnlyFiniteDates(record.fields()))
        return CloudError::make(CloudError::serverRejectedRequest,
                                QStringLiteral("The record \"%1\" holds a date that is no moment in time.")
                                    .arg(record.recordID().recordName));
    const QByteArray fields = encodeCloudFields(record.fields());
    if (fields.size() > kMaxFieldsBytes)
        return CloudError::make(
            CloudError::limitExceeded,
            QStringLiteral("The record \"%1\" is too large to be saved.").arg(record.recordID().recordName));
    std::lock_guard lock(mutex_);
    CallHold hold(*this);
    // The caller hears only of a write to the file at the path: one that went to a file moved
    // meanwhile (by a program that takes no lock) is made again in the file there now.
    for (int writes = 1;; ++writes) {
        if (!hold.opened) return hold.error;
        CloudResult<CloudRecord> saved = saveInOpenFile(container, record, fields);
        reachedStep(Step::written);
        if (isStillAtPath()) return saved;
        if (writes == kWritesWhileReplaced)
            return CloudError::make(CloudError::serviceUnavailable,
                                    QStringLiteral("The cloud database file was replaced while it was being written."));
        hold.opened = ensureOpen(&hold.error);
    }
}

CloudResult<CloudRecord> SqliteCloudStore::saveInOpenFile(const QString& container, const CloudRecord& record,
                                                          const QByteArray& fields) {
    // Taking the write lock first makes the comparison and the write one step for every process.
    Transaction transaction(db_, "BEGIN IMMEDIATE");
    if (!transaction.isOpen()) return failure(QStringLiteral("The cloud database could not be written"));

    RowState state;
    CloudResult<CloudRecord> current = readRow(container, record.recordID(), &state);
    qint64 nextTag = 1;
    if (current.ok()) {
        // A damaged row is offered as an empty copy, so a merged save can repair it.
        if (record.recordChangeTag() != current.value().recordChangeTag()) {
            CloudError conflict = CloudError::make(CloudError::serverRecordChanged, {});
            conflict.serverRecord = std::make_shared<const CloudRecord>(current.value());
            return conflict;
        }
        nextTag = current.value().recordChangeTag().toLongLong() + 1;
    } else if (state == RowState::databaseFailed) {
        return current.error();
    } else if (!record.recordChangeTag().isEmpty()) {
        // A copy of a record that the server no longer has.
        return CloudError::make(CloudError::unknownItem, {});
    }

    StatementUse use{upsert_};
    bindText(upsert_, 1, container);
    bindText(upsert_, 2, record.recordID().recordName);
    bindText(upsert_, 3, record.recordType());
    sqlite3_bind_int64(upsert_, 4, nextTag);
    sqlite3_bind_blob(upsert_, 5, fields.constData(), int(fields.size()), SQLITE_TRANSIENT);
    const QString writeFailed = QStringLiteral("The cloud database could not be written");
    if (sqlite3_step(upsert_) != SQLITE_DONE) return failure(writeFailed);
    if (EngineError commitFailed; !transaction.commit(&commitFailed))
        return failure(writeFailed, commitFailed.code, commitFailed.text);

    CloudRecord saved = record;
    saved.clearRemovedKeys();
    saved.setRecordChangeTag(QString::number(nextTag));
    return saved;
}

CloudResult<CloudBatchResult> SqliteCloudStore::fetchMany(const QString& container,
                                                          const std::vector<CloudRecordID>& ids) {
    std::lock_guard lock(mutex_);
    const CallHold hold(*this);
    if (!hold.opened) return hold.error;
    // One read transaction: every record as of the same moment.
    Transaction transaction(db_, "BEGIN");
    if (!transaction.isOpen()) return failure(QStringLiteral("The cloud database could not be read"));
    CloudBatchResult results;
    results.reserve(ids.size());
    QSet<QString> seen;
    seen.reserve(qsizetype(ids.size()));
    for (const CloudRecordID& id : ids) {
        if (seen.contains(id.recordName)) continue;
        seen.insert(id.recordName);
        RowState state;
        CloudResult<CloudRecord> one = readRow(container, id, &state);
        // A database failure fails the whole call; a missing or damaged record is that item's.
        if (state == RowState::databaseFailed) return one.error();
        if (state == RowState::damaged)
            results.emplace_back(id, damagedRecord(id));
        else
            results.emplace_back(id, std::move(one));
    }
    EngineError ignored; // nothing was written
    transaction.commit(&ignored);
    return results;
}

bool SqliteCloudStore::damageFields(const QString& container, const CloudRecordID& id) {
    std::lock_guard lock(mutex_);
    const CallHold hold(*this);
    if (!hold.opened) return false;
    sqlite3_stmt* update = nullptr;
    if (sqlite3_prepare_v2(db_, "UPDATE records SET fields = x'ff00ff' WHERE container = ?1 AND name = ?2", -1, &update,
                           nullptr) != SQLITE_OK)
        return false;
    bindText(update, 1, container);
    bindText(update, 2, id.recordName);
    const bool updated = sqlite3_step(update) == SQLITE_DONE && sqlite3_changes(db_) == 1;
    sqlite3_finalize(update);
    return updated;
}

} // namespace nimbrel
