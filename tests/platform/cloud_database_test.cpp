#include "platform/CloudDatabase.h"

#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/CloudFieldCoding.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/local/SqliteCloudStore.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <deque>
#include <functional>
#include <future>
#include <latch>
#include <list>
#include <map>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nimbrel;

namespace {

const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

CloudRecord record(const QString& name, qint64 counter = 0) {
    CloudRecord r(QStringLiteral("NimbrelTest"), {name});
    r.set(QStringLiteral("counter"), counter);
    return r;
}

// One "Mac": a service over the shared file, answering on its own virtual time.
struct Mac {
    VirtualScheduler scheduler;
    SqliteCloudService service;
    CloudDatabase& db;

    explicit Mac(const QString& path)
        : service(scheduler, path), db(service.container(kContainer)->privateCloudDatabase()) {}

    CloudResult<CloudRecord> fetch(const QString& name) {
        std::optional<CloudResult<CloudRecord>> out;
        db.fetchRecord({name}, [&](CloudResult<CloudRecord> r) { out = std::move(r); });
        EXPECT_FALSE(out.has_value()) << "answers never come inside the call";
        scheduler.advance(service.conditions().latency);
        return *out;
    }
    CloudResult<CloudRecord> save(const CloudRecord& r) {
        std::optional<CloudResult<CloudRecord>> out;
        db.saveRecord(r, [&](CloudResult<CloudRecord> result) { out = std::move(result); });
        scheduler.advance(service.conditions().latency);
        return *out;
    }
    CloudResult<CloudBatchResult> batch(const std::vector<CloudRecordID>& ids) {
        std::optional<CloudResult<CloudBatchResult>> out;
        db.fetchRecords(ids, [&](CloudResult<CloudBatchResult> r) { out = std::move(r); });
        scheduler.advance(service.conditions().latency);
        return *out;
    }
};

// Another process's connection to a database file, running SQL on it.
struct OtherProcess {
    sqlite3* db = nullptr;
    explicit OtherProcess(const QString& path) { EXPECT_EQ(sqlite3_open(QFile::encodeName(path), &db), SQLITE_OK); }
    ~OtherProcess() { sqlite3_close(db); }
    bool run(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    qint64 value(const char* sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        const qint64 v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        return sqlite3_finalize(s), v;
    }
};

class CloudDatabaseTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/cloud/CloudDatabase.sqlite");
    Mac a{path};
};

TEST_F(CloudDatabaseTest, EveryKindOfFieldReadsBackAsWritten) {
    CloudRecord r(QStringLiteral("NimbrelKinds"), {QStringLiteral("kinds")});
    r.set("flag", true);
    r.set("integer", qint64(-9007199254740993));
    r.set("text", QString::fromUtf8("Zürich \u2028 \"q\""));
    r.set("date", Date{762509700.125});
    r.set("bytes", QByteArray("\x00\x01\xff", 3));
    r.set("list", QStringList{"a", "", "ü"});
    r.set("emptyList", QStringList{});
    auto saved = a.save(r);
    ASSERT_TRUE(saved.ok()) << saved.error().localizedDescription.toStdString();
    EXPECT_EQ(saved.value().recordChangeTag(), QStringLiteral("1"));
    auto fetched = a.fetch("kinds");
    ASSERT_TRUE(fetched.ok());
    EXPECT_EQ(fetched.value().recordType(), QStringLiteral("NimbrelKinds"));
    EXPECT_TRUE(fetched.value().fields() == r.fields());
    EXPECT_EQ(fetched.value().allKeys(),
              (QStringList{"bytes", "date", "emptyList", "flag", "integer", "list", "text"}));
    EXPECT_EQ(fetched.value().flag("integer"), std::nullopt) << "no kind reads as another";
    EXPECT_EQ(fetched.value().integer("flag"), std::nullopt);

    // A date that is no moment in time would not read back as written: it is refused.
    CloudRecord bad = a.fetch("kinds").value();
    bad.set("date", Date{std::numeric_limits<double>::quiet_NaN()});
    EXPECT_TRUE(a.save(bad).error().hasCode(CloudError::serverRejectedRequest));
}

TEST_F(CloudDatabaseTest, SavesCompareTheChangeTag) {
    EXPECT_TRUE(a.fetch("missing").error().hasCode(CloudError::unknownItem));

    const CloudRecord first = a.save(record("r", 1)).value();
    CloudRecord stale = first;
    CloudRecord fresh = first;
    fresh.set("counter", qint64(2));
    ASSERT_TRUE(a.save(fresh).ok());

    stale.set("counter", qint64(3));
    struct Case {
        const char* name;
        CloudRecord attempt;
        int code;
        std::optional<qint64> serverCounter; // the copy carried by the error
    };
    CloudRecord unknownTag = record("gone", 1);
    unknownTag.setRecordChangeTag(QStringLiteral("4"));
    const Case cases[] = {
        {"stale copy", stale, CloudError::serverRecordChanged, 2},
        {"new record under a used name", record("r", 9), CloudError::serverRecordChanged, 2},
        {"copy of a record the server does not have", unknownTag, CloudError::unknownItem, std::nullopt},
    };
    for (const Case& c : cases) {
        auto result = a.save(c.attempt);
        ASSERT_FALSE(result.ok()) << c.name;
        EXPECT_TRUE(result.error().hasCode(c.code)) << c.name;
        if (c.serverCounter) {
            ASSERT_NE(result.error().serverRecord, nullptr) << c.name;
            EXPECT_EQ(result.error().serverRecord->integer("counter"), c.serverCounter) << c.name;
            EXPECT_EQ(result.error().serverRecord->recordChangeTag(), QStringLiteral("2")) << c.name;
        }
    }
    EXPECT_EQ(a.fetch("r").value().integer("counter"), 2) << "failed saves change nothing";
}

TEST_F(CloudDatabaseTest, TwoConnectionsOnOneFileSeeEachOthersSaves) {
    Mac b{path};
    const CloudRecord fromA = a.save(record("shared", 1)).value();
    CloudRecord onB = b.fetch("shared").value();
    EXPECT_EQ(onB.integer("counter"), 1);
    onB.set("counter", qint64(2));
    ASSERT_TRUE(b.save(onB).ok());

    CloudRecord staleOnA = fromA;
    staleOnA.set("counter", qint64(5));
    auto conflict = a.save(staleOnA);
    ASSERT_TRUE(conflict.error().hasCode(CloudError::serverRecordChanged));
    EXPECT_EQ(conflict.error().serverRecord->integer("counter"), 2) << "the other connection's save";
}

// Two processes add to one counter, each retrying on a conflict with the server's copy:
// no increment is lost only if compare and replace are one step across processes.
TEST_F(CloudDatabaseTest, TwoProcessesOnOneFileLoseNoSave) {
    constexpr int kIncrements = 150;
    ASSERT_TRUE(a.save(record("counter", 0)).ok());
    auto incrementMany = [&](SqliteCloudStore& store) {
        int conflicts = 0;
        for (int i = 0; i < kIncrements; ++i) {
            CloudRecord copy = store.fetch(kContainer, {"counter"}).value();
            for (;;) {
                copy.set("counter", *copy.integer("counter") + 1);
                auto saved = store.save(kContainer, copy);
                if (saved.ok()) break;
                if (!saved.error().hasCode(CloudError::serverRecordChanged)) return -1;
                ++conflicts;
                copy = *saved.error().serverRecord;
            }
        }
        return conflicts;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SqliteCloudStore store(path);
        _exit(incrementMany(store) < 0 ? 1 : 0);
    }
    SqliteCloudStore store(path);
    const int conflicts = incrementMany(store);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_GE(conflicts, 0);
    EXPECT_EQ(a.fetch("counter").value().integer("counter"), 2 * kIncrements);
}

// Two stores on one new file saving at once from two threads, as two Macs in one process do:
// each waits while the other holds the file (from the first opening on) instead of failing.
TEST_F(CloudDatabaseTest, TwoStoresSavingAtOnceFromTwoThreadsLoseNoSave) {
    constexpr int kSaves = 200;
    const QString fresh = dir.path() + QStringLiteral("/threads/CloudDatabase.sqlite");
    SqliteCloudStore first(fresh);
    SqliteCloudStore second(fresh);
    // A third holds the new file's write lock as they open it, so that both find it taken when
    // they switch the file to write-ahead logging, until it is given back.
    QDir().mkpath(dir.path() + QStringLiteral("/threads"));
    OtherProcess holder(fresh);
    ASSERT_TRUE(holder.run("BEGIN IMMEDIATE"));
    auto released = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        // A commit waits for the stores' reads to end; failed, it would hold the lock for good.
        sqlite3_busy_timeout(holder.db, 10000);
        return holder.run("COMMIT");
    });
    std::latch start(2);
    auto saveMany = [&](SqliteCloudStore& store, const QString& prefix) {
        start.arrive_and_wait();
        QStringList failures;
        for (int i = 0; i < kSaves; ++i) {
            auto saved = store.save(kContainer, record(prefix + QString::number(i), i));
            if (!saved.ok()) failures << saved.error().localizedDescription;
        }
        return failures;
    };
    auto onOtherThread = std::async(std::launch::async, saveMany, std::ref(second), QStringLiteral("b"));
    QStringList failures = saveMany(first, QStringLiteral("a"));
    failures += onOtherThread.get();
    EXPECT_TRUE(released.get());
    EXPECT_TRUE(failures.isEmpty()) << failures.size() << " failed, first: " << failures.value(0).toStdString();

    std::vector<CloudRecordID> ids;
    for (int i = 0; i < kSaves; ++i)
        for (const char* prefix : {"a", "b"})
            ids.push_back({prefix + QString::number(i)});
    const auto stored = first.fetchMany(kContainer, ids);
    ASSERT_TRUE(stored.ok());
    int found = 0;
    for (const auto& [id, result] : stored.value())
        found += result.ok();
    EXPECT_EQ(found, 2 * kSaves);
}

TEST_F(CloudDatabaseTest, BatchFetchAnswersPerRecord) {
    a.save(record("one", 1));
    a.save(record("two", 2));
    auto batch = a.batch({{"two"}, {"missing"}, {"one"}, {"two"}});
    ASSERT_TRUE(batch.ok());
    ASSERT_EQ(batch.value().size(), 3u) << "each id once, in the order asked";
    EXPECT_EQ(batch.value()[0].first.recordName, QStringLiteral("two"));
    EXPECT_EQ(batch.value()[0].second.value().integer("counter"), 2);
    EXPECT_TRUE(batch.value()[1].second.error().hasCode(CloudError::unknownItem));
    EXPECT_EQ(batch.value()[2].second.value().integer("counter"), 1);

    std::vector<CloudRecordID> tooMany(a.service.conditions().batchLimit + 1, CloudRecordID{"one"});
    EXPECT_TRUE(a.batch(tooMany).error().hasCode(CloudError::limitExceeded));
    EXPECT_TRUE(a.batch({}).value().empty());
}

TEST_F(CloudDatabaseTest, ConditionsAndInjectedFailures) {
    const CloudRecord saved = a.save(record("r", 1)).value();
    using Op = CloudFailure::Operation;

    a.service.conditions().offline = true;
    EXPECT_TRUE(a.fetch("r").error().hasCode(CloudError::networkUnavailable));
    EXPECT_TRUE(a.batch({{"r"}}).error().hasCode(CloudError::networkUnavailable));
    a.service.conditions().offline = false;
    a.service.conditions().account = CloudAccountState::noAccount;
    EXPECT_TRUE(a.save(saved).error().hasCode(CloudError::notAuthenticated));
    a.service.conditions().account = CloudAccountState::available;

    a.service.failNext({Op::save, "other", CloudError::make(CloudError::networkFailure, {}), false});
    a.service.failNext({Op::fetch, {}, CloudError::make(CloudError::serviceUnavailable, "down"), false});
    a.service.failNext({Op::save, "r", CloudError::make(CloudError::partialFailure, {}), true});
    auto fetched = a.fetch("r");
    EXPECT_TRUE(fetched.error().hasCode(CloudError::serviceUnavailable));
    EXPECT_EQ(fetched.error().localizedDescription, QStringLiteral("down"));
    auto partial = a.save(saved);
    ASSERT_TRUE(partial.error().hasCode(CloudError::partialFailure));
    ASSERT_EQ(partial.error().partialErrorsByItemID.size(), 1u);
    const CloudError& item = partial.error().partialErrorsByItemID[0];
    EXPECT_EQ(item.itemID.recordName, QStringLiteral("r"));
    EXPECT_TRUE(item.hasCode(CloudError::serverRecordChanged));
    EXPECT_EQ(item.serverRecord->integer("counter"), 1);
    EXPECT_EQ(a.service.pendingFailures(), 1u) << "a failure for another record waits for it";

    // Latency: nothing arrives before it has passed.
    a.service.conditions().latency = 2.0;
    std::optional<CloudResult<CloudRecord>> late;
    a.db.fetchRecord({"r"}, [&](CloudResult<CloudRecord> r) { late = std::move(r); });
    a.scheduler.advance(1.9);
    EXPECT_FALSE(late.has_value());
    a.scheduler.advance(0.1);
    ASSERT_TRUE(late.has_value());
    EXPECT_TRUE(late->ok());
}

// The engine's writes fail with `error` while this lives, as on a full disk.
struct FailingWrites {
    explicit FailingWrites(int error) {
        failWith = error;
        replace(&write, &pwrite);
    }
    ~FailingWrites() { replace(nullptr, nullptr); }
    static void replace(ssize_t (*plain)(int, const void*, size_t), ssize_t (*at)(int, const void*, size_t, off_t)) {
        sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
        vfs->xSetSystemCall(vfs, "write", reinterpret_cast<sqlite3_syscall_ptr>(plain));
        for (const char* call : {"pwrite", "pwrite64"})
            vfs->xSetSystemCall(vfs, call, reinterpret_cast<sqlite3_syscall_ptr>(at));
    }
    static ssize_t write(int, const void*, size_t) { return errno = failWith, -1; }
    static ssize_t pwrite(int, const void*, size_t, off_t) { return errno = failWith, -1; }
    static inline int failWith = 0;
};

// A save the disk refuses says why, and changes nothing.
TEST_F(CloudDatabaseTest, ASaveTheDiskRefusesSaysWhy) {
    ASSERT_TRUE(a.save(record("kept", 1)).ok());
    for (const auto& [error, saying] : {std::pair{ENOSPC, "database or disk is full"}, {EIO, "disk I/O error"}}) {
        FailingWrites disk(error);
        const CloudResult<CloudRecord> refused = a.save(record("refused", 2));
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().localizedDescription.toStdString(),
                  std::string("The cloud database could not be written: ") + saying);
    }
    EXPECT_TRUE(a.fetch("refused").error().hasCode(CloudError::unknownItem));
    EXPECT_EQ(a.fetch("kept").value().integer("counter"), 1);
    EXPECT_TRUE(a.save(record("refused", 3)).ok());
}

TEST_F(CloudDatabaseTest, ADamagedFileIsKeptAsideWithAClearProblem) {
    a.save(record("r", 1));
    QDir().mkpath(dir.path() + QStringLiteral("/damaged"));
    const QString damagedPath = dir.path() + QStringLiteral("/damaged/CloudDatabase.sqlite");
    QFile file(damagedPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray garbage("this is no database, but it is somebody's data\n");
    file.write(garbage.repeated(200));
    file.close();

    QStringList lines;
    const LogSink previous = setLogSink([&](const QString& line) { lines << line; });
    Mac m{damagedPath};
    EXPECT_TRUE(m.fetch("r").error().hasCode(CloudError::unknownItem)) << "a fresh database took its place";
    QStringList told;
    m.service.setDamageHandler([&](const QString& problem) { told << problem; });
    EXPECT_TRUE(m.save(record("r", 2)).ok());
    setLogSink(previous);
    ASSERT_EQ(told.size(), 1) << "told once, also to a handler given after the damage was found";
    EXPECT_EQ(lines, QStringList{QStringLiteral("NimbrelCloudDatabase: ") + told[0]});
    EXPECT_TRUE(m.service.setAsideProblem().contains(QStringLiteral("damaged")))
        << m.service.setAsideProblem().toStdString();
    const QStringList aside =
        QDir(dir.path() + QStringLiteral("/damaged")).entryList({QStringLiteral("CloudDatabase.sqlite.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(dir.path() + QStringLiteral("/damaged/") + aside[0]);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage.repeated(200)) << "nothing of it was lost";
    EXPECT_TRUE(a.service.setAsideProblem().isEmpty());
}

// A second damaged file never replaces the first one kept, and a file that cannot be moved stays
// whole: no fresh database is made over it, and the calls fail instead, each trying again, until
// it can be moved.
TEST_F(CloudDatabaseTest, ADamagedFileIsNeverLostWhenItsNameIsTakenOrItCannotMove) {
    const QByteArray garbage = QByteArray("no database, somebody's data\n").repeated(200);
    for (const bool moveFails : {false, true}) {
        SCOPED_TRACE(moveFails ? "the move fails" : "moved twice in one second");
        QTemporaryDir folder;
        const QString damagedPath = folder.filePath(QStringLiteral("CloudDatabase.sqlite"));
        bool cannotMove = moveFails;
        // Put back on every way out of the round: a later test's moves must not read `cannotMove`.
        struct Restore {
            MoveAsideFault previous;
            ~Restore() {
                setLogToStdout(true);
                setMoveAsideFaultForTesting(previous);
            }
        } restore{setMoveAsideFaultForTesting([&](const QString&) { return cannotMove; })};
        setLogToStdout(false);
        for (int round = 0; round < 2; ++round) {
            QFile file(damagedPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(garbage + QByteArray::number(round));
            file.close();
            Mac m{damagedPath};
            QStringList told;
            m.service.setDamageHandler([&](const QString& problem) { told << problem; });
            EXPECT_EQ(m.save(record("r", round)).ok(), !moveFails);
            if (!moveFails) {
                for (const char* suffix : {"", "-wal", "-shm"})
                    QFile::remove(damagedPath + QLatin1String(suffix));
                continue;
            }
            EXPECT_FALSE(m.save(record("r", round)).ok());
            QFile left(damagedPath);
            ASSERT_TRUE(left.open(QIODevice::ReadOnly));
            EXPECT_EQ(left.readAll(), garbage + QByteArray::number(round));
            ASSERT_EQ(told.size(), 1) << "told once while it stays";
            EXPECT_TRUE(told[0].contains(QStringLiteral("could not be moved"))) << told[0].toStdString();

            cannotMove = false; // its folder can be written again
            EXPECT_TRUE(m.save(record("r", round)).ok()) << "tried again at the next call";
            ASSERT_EQ(told.size(), 2);
            EXPECT_TRUE(told[1].contains(QStringLiteral("was kept as"))) << told[1].toStdString();
            break;
        }
        const QStringList aside = QDir(folder.path()).entryList({QStringLiteral("CloudDatabase.sqlite.damaged-*")});
        EXPECT_EQ(aside.size(), moveFails ? 1 : 2) << aside.join(' ').toStdString();
        QFile kept(folder.filePath(aside.value(0)));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), garbage + '0');
    }
}

// A page of the file that no call reads (a table's of its own), with everything in the file
// itself, not in its log.
qint64 unreadPage(const QString& file) {
    OtherProcess other(file);
    if (!other.run("CREATE TABLE unread(x); PRAGMA wal_checkpoint(TRUNCATE)")) return -1;
    return other.value("SELECT rootpage FROM sqlite_master WHERE name = 'unread'");
}

// Damages the file there, as a disk may: opened anew it is damaged, open its calls go on.
bool spoilPage(const QString& file, qint64 page) {
    QFile spoiled(file);
    return page > 0 && spoiled.open(QIODevice::ReadWrite) && spoiled.seek((page - 1) * 4096) &&
           spoiled.write("XXXX") == 4;
}

// Another Mac, forked before this process opened the file, finds it damaged where no call reads
// (the page it is told of) and sets it aside while this process has it open, then saves to the
// new file. It ends with 0, or the step that failed.
int setAsideByAnotherMac(const QString& file, int told) {
    qint64 page = 0;
    if (::read(told, &page, sizeof page) != sizeof page || !spoilPage(file, page)) return 1;
    SqliteCloudStore b(file);
    if (!b.fetch(kContainer, {"before"}).error().hasCode(CloudError::unknownItem)) return 2;
    // The kept copy holds what was only in its log.
    const QString kept = b.setAsideProblem().section(QStringLiteral(" was kept as "), 1).chopped(1);
    if (OtherProcess(kept).value("SELECT count(*) FROM records WHERE name = 'before'") != 1) return 3;
    return b.save(kContainer, record("fromB", 1)).ok() ? 0 : 4;
}

// Another program's row larger than any record: its fields are never read into memory, the row
// reads as damaged (alone in a batch), and a save writes the record anew over it.
TEST_F(CloudDatabaseTest, FieldsLargerThanAnyRecordReadAsADamagedRow) {
    ASSERT_TRUE(a.save(record("huge", 1)).ok());
    ASSERT_TRUE(a.save(record("small", 2)).ok());
    {
        // Well-formed fields, only too many of them.
        CloudRecord big = record("huge", 1);
        big.set(QStringLiteral("blob"), QByteArray(SqliteCloudStore::kMaxFieldsBytes, 'x'));
        const QByteArray fields = encodeCloudFields(big.fields());
        OtherProcess other(path);
        sqlite3_stmt* update = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(other.db, "UPDATE records SET fields = ?1 WHERE name = 'huge'", -1, &update, nullptr),
            SQLITE_OK);
        sqlite3_bind_blob(update, 1, fields.constData(), int(fields.size()), SQLITE_STATIC);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
        sqlite3_finalize(update);
    }
    const CloudResult<CloudRecord> huge = a.fetch("huge");
    ASSERT_FALSE(huge.ok());
    EXPECT_TRUE(huge.error().unreadableRecord);
    const CloudResult<CloudBatchResult> batch = a.batch({{"huge"}, {"small"}});
    ASSERT_TRUE(batch.ok());
    ASSERT_FALSE(batch.value()[0].second.ok());
    EXPECT_TRUE(batch.value()[0].second.error().unreadableRecord);
    EXPECT_EQ(batch.value()[1].second.value().integer("counter"), 2);
    CloudRecord anew = record("huge", 3);
    anew.setRecordChangeTag(QStringLiteral("1"));
    EXPECT_TRUE(a.save(anew).ok());
    EXPECT_EQ(a.fetch("huge").value().integer("counter"), 3);
}

// What keeps a call from opening the file fails it with an error that says so, leaves the file
// as it is, and the next call opens it once that is gone: another process's lock on the file, a
// lock beside it that cannot be made (at once, blaming no other process), or one whose file is
// replaced as the call takes it while another holds the new one (it is never held beside that one).
TEST_F(CloudDatabaseTest, AFileLockedAtItsFirstOpeningIsLeftAloneAndOpenedOnceFree) {
    QDir().mkpath(dir.path() + QStringLiteral("/locked"));
    const QString path = dir.path() + QStringLiteral("/locked/CloudDatabase.sqlite");
    const QString lockPath = path + QStringLiteral("-lock");
    std::unique_ptr<OtherProcess> other;
    SqliteCloudStore* store = nullptr;
    std::optional<FileLock> holder;
    const struct {
        const char* what;
        std::function<void()> block, unblock;
        int waitMs; // for another process's lock
        int code;
        const char* saying;
    } rows[] = {
        {"another process holds the file's lock",
         [&] { ASSERT_TRUE(other->run("BEGIN EXCLUSIVE; INSERT INTO mine VALUES(2);")); },
         [&] { ASSERT_TRUE(other->run("COMMIT")); }, 0, CloudError::serviceUnavailable, "locked"},
        {"a folder takes the name of the lock beside it", [&] { ASSERT_TRUE(QDir().mkpath(lockPath)); },
         [&] { ASSERT_TRUE(QDir().rmdir(lockPath)); }, SqliteCloudStore::kBusyTimeoutMs, CloudError::internalError,
         "lock file"},
        {"a link takes the name of the lock beside it", [&] { ASSERT_TRUE(QFile::link(path, lockPath)); },
         [&] { ASSERT_TRUE(QFile::remove(lockPath)); }, SqliteCloudStore::kBusyTimeoutMs, CloudError::internalError,
         "(Too many levels of symbolic links)"},
        {"the lock's file replaced as it is taken, another holding the new one",
         [&] {
             store->setStepHookForTesting([&, replaced = false](SqliteCloudStore::Step step) mutable {
                 if (step != SqliteCloudStore::Step::lockTaken || std::exchange(replaced, true)) return;
                 ASSERT_TRUE(QFile(path + ".new").open(QIODevice::WriteOnly));
                 ASSERT_EQ(::rename(QFile::encodeName(path + ".new"), QFile::encodeName(lockPath)), 0);
                 ASSERT_TRUE(holder.emplace(lockPath, FileLock::Open::existing).held());
             });
         },
         [&] { holder.reset(); }, 100, CloudError::serviceUnavailable, "another process"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (const char* suffix : {"", "-wal", "-shm", "-lock"})
            QFile::remove(path + QLatin1String(suffix));
        other = std::make_unique<OtherProcess>(path);
        ASSERT_TRUE(other->run("CREATE TABLE mine(x); INSERT INTO mine VALUES(1);"));
        SqliteCloudStore opening(path, row.waitMs);
        store = &opening;
        row.block();
        QElapsedTimer took;
        took.start();
        const CloudResult<CloudRecord> blocked = opening.fetch(kContainer, {"r"});
        EXPECT_LT(took.elapsed(), 2000);
        ASSERT_FALSE(blocked.ok());
        EXPECT_TRUE(blocked.error().hasCode(row.code)) << blocked.error().localizedDescription.toStdString();
        EXPECT_TRUE(blocked.error().localizedDescription.contains(QLatin1String(row.saying)))
            << blocked.error().localizedDescription.toStdString();
        EXPECT_TRUE(opening.setAsideProblem().isEmpty());
        EXPECT_EQ(QDir(dir.path() + QStringLiteral("/locked")).entryList({QStringLiteral("*.damaged-*")}),
                  QStringList());

        row.unblock();
        other.reset();
        EXPECT_TRUE(opening.fetch(kContainer, {"r"}).error().hasCode(CloudError::unknownItem))
            << "opened at the next call";
        EXPECT_TRUE(opening.save(kContainer, record("r", 1)).ok());
        OtherProcess again(path);
        EXPECT_TRUE(again.run("SELECT x FROM mine")) << "the file is the one that was there";
    }
}

// A store's last close copies the log into the file and drops the log and the shared memory,
// unless another holds the lock (setting a file aside): then it leaves them to the next opening.
TEST_F(CloudDatabaseTest, ACloseLeavesTheLogToTheNextOpeningWhileAnotherHoldsTheLock) {
    for (const bool heldElsewhere : {false, true}) {
        SCOPED_TRACE(heldElsewhere ? "another holds the lock" : "the lock is free");
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("CloudDatabase.sqlite"));
        std::optional<FileLock> other;
        {
            SqliteCloudStore store(file);
            ASSERT_TRUE(store.save(kContainer, record("r", 1)).ok());
            if (heldElsewhere) {
                ASSERT_TRUE(other.emplace(file + QStringLiteral("-lock")).held());
            }
        }
        for (const char* suffix : {"-wal", "-shm"})
            EXPECT_EQ(QFile::exists(file + QLatin1String(suffix)), heldElsewhere) << suffix;
        other.reset();
        EXPECT_TRUE(SqliteCloudStore(file).fetch(kContainer, {"r"}).ok());
    }
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// A log lying at the path without a file is another file's: it goes before a file is made there,
// but only while no other call holds the lock (that one may be making the file), and a call that
// cannot remove it fails saying so. Until then it stays, and no file is made.
TEST_F(CloudDatabaseTest, ALogWithoutItsFileGoesBeforeAFileIsMadeThere) {
    const QString file = dir.filePath(QStringLiteral("stray/CloudDatabase.sqlite"));
    std::optional<FileLock> call;
    const struct {
        const char* what;
        std::function<void()> block, unblock;
        int code;
        const char* saying;
    } rows[] = {
        {"another call holds the lock",
         [&] { call.emplace(file + QStringLiteral("-lock"), FileLock::Open::creating, FileLock::Mode::shared); },
         [&] { call.reset(); }, CloudError::serviceUnavailable, "another process"},
        {"its name cannot be removed",
         [] {
             setNameStepFaultForTesting([](NameStep step, const QString&) { return step == NameStep::drop ? EIO : 0; });
         },
         [] { setNameStepFaultForTesting({}); }, CloudError::internalError, "could not be removed"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile strayLog(file + QStringLiteral("-wal")); // empty, which SQLite would take; held open, its number kept
        ASSERT_TRUE(strayLog.open(QIODevice::WriteOnly));
        const ino_t stray = inodeOf(strayLog.fileName());
        SqliteCloudStore store(file, 100);
        row.block();
        const CloudResult<CloudRecord> blocked = store.fetch(kContainer, {"r"});
        row.unblock();
        EXPECT_TRUE(blocked.error().hasCode(row.code)) << blocked.error().localizedDescription.toStdString();
        EXPECT_TRUE(blocked.error().localizedDescription.contains(QLatin1String(row.saying)))
            << blocked.error().localizedDescription.toStdString();
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_TRUE(store.save(kContainer, record("r", 1)).ok());
        EXPECT_NE(inodeOf(file + QStringLiteral("-wal")), stray);
        QDir(QFileInfo(file).path()).removeRecursively();
    }
}

// A file set aside by another process is never written on again: each call opens the file at the
// path when it is another, and a save whose file went aside while it wrote is written again.
TEST_F(CloudDatabaseTest, AFileSetAsideByAnotherProcessIsNeverWrittenOnAgain) {
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(setAsideByAnotherMac(path, go[0]));
    ASSERT_TRUE(a.save(record("first", 1)).ok());
    const qint64 page = unreadPage(path);
    ASSERT_GT(page, 0);
    ASSERT_TRUE(a.save(record("before", 1)).ok()); // only in the log
    ASSERT_EQ(::write(go[1], &page, sizeof page), qint64(sizeof page));
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0) << "the other Mac failed at step " << WEXITSTATUS(status);
    EXPECT_TRUE(a.fetch("fromB").ok()) << "the other Mac's save, in the new file";

    // Moved aside while a save writes, with no new file yet: the save is written to a new one.
    SqliteCloudStore store(path);
    bool moved = false;
    store.setStepHookForTesting([&](SqliteCloudStore::Step step) {
        if (step == SqliteCloudStore::Step::written && !std::exchange(moved, true))
            for (const char* suffix : {"", "-wal"})
                QFile::rename(path + suffix, path + ".gone" + suffix);
    });
    ASSERT_TRUE(store.save(kContainer, record("racing", 1)).ok());
    EXPECT_TRUE(a.fetch("racing").ok());
}

#ifdef NIMBREL_CLOUD_STORE_HELPER
// Another program on the cloud file, in a process of its own (cloud_store_helper), told what to do
// line by line; it keeps the names of the saves it was told were made.
struct StoreProcess {
    explicit StoreProcess(const QString& file) {
        process.start(QStringLiteral(NIMBREL_CLOUD_STORE_HELPER), {file});
        EXPECT_TRUE(process.waitForStarted());
    }
    ~StoreProcess() {
        process.closeWriteChannel();
        if (!process.waitForFinished(15000)) process.kill();
        process.waitForFinished();
    }
    void tell(const QByteArray& command) {
        asked.push_back(command);
        process.write(command + '\n');
    }
    // Lets a call held at a step go on.
    void release() { process.write("go\n"); }
    // The next line it answers, waiting `ms` at most for it (empty when none came).
    QByteArray answer(int ms = 15000) {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(ms)) return {};
        const QByteArray line = process.readLine().trimmed();
        if (line == "held" || asked.empty()) return line;
        const QByteArray command = asked.front();
        asked.pop_front();
        if (command.startsWith("save ") && line == "done") acknowledged << QString::fromUtf8(command.mid(5));
        return line;
    }
    QByteArray ask(const QByteArray& command) {
        tell(command);
        return answer();
    }
    // Kills it (SIGKILL) and starts it again, as the program after a crash.
    void killAndStartAgain() {
        process.kill();
        process.waitForFinished();
        asked.clear();
        process.start();
        EXPECT_TRUE(process.waitForStarted());
    }

    QProcess process;
    std::deque<QByteArray> asked;
    QStringList acknowledged;
};

// Two programs on one cloud file, one stopped in the middle of a step (or killed there) while the
// other saves and reads, closes or opens the file again (or the file is moved), or makes the file
// where a stray log lay: every save that either was told was made is in the file at the path, for
// both and for a program that opens it afterwards, or in the one file set aside when it went to the
// damaged file before.
TEST_F(CloudDatabaseTest, EverySaveMadeWhileAnotherProgramIsInTheMiddleOfAStepIsAtThePath) {
    enum class Before {
        intact,
        damaged, // where no call reads: the held program sets the file aside as it opens it
        stray,   // the file moved away by a program that takes no lock, an empty log left at its path
    };
    const struct {
        const char* what;
        const char* step;
        const char* heldCall;
        const char* heldAnswer; // none when it is killed there
        Before before;
        std::function<void(const QString& file, StoreProcess& held, StoreProcess& other)> meanwhile;
    } rows[] = {
        {"setting a damaged file aside, while the other saves and reads", "setting-aside", "fetch before",
         "missing" /* it works in the new file */, Before::damaged,
         [](const QString& file, StoreProcess&, StoreProcess& other) {
             for (const char* command : {"save during-1", "fetch before", "save during-2"})
                 other.tell(command);
             // A moment for the other to act in the middle of the move; it waits for the move's end.
             other.answer(1000);
             // A call waiting for the lock gives up when its time is over, and says why.
             SqliteCloudStore impatient(file, 100);
             auto waiting = std::async(std::launch::async, [&] { return impatient.fetch(kContainer, {"before"}); });
             if (waiting.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
                 ADD_FAILURE() << "a call waiting for the lock never gave up";
                 impatient.stopWaiting();
             }
             const CloudResult<CloudRecord> busy = waiting.get();
             ASSERT_FALSE(busy.ok());
             EXPECT_TRUE(busy.error().hasCode(CloudError::serviceUnavailable));
             EXPECT_TRUE(busy.error().localizedDescription.contains(QStringLiteral("setting the damaged file aside")))
                 << busy.error().localizedDescription.toStdString();
         }},
        {"opening, while a program that takes no lock moves the file aside and the other makes a new one", "opened",
         "save racing",
         "failed: The cloud database could not be opened: the file was replaced while it was being opened",
         Before::intact,
         [](const QString& file, StoreProcess&, StoreProcess& other) {
             for (const char* suffix : {"", "-wal"})
                 ASSERT_TRUE(QFile::rename(file + suffix, file + QStringLiteral(".moved") + suffix));
             QFile::remove(file + QStringLiteral("-shm"));
             EXPECT_EQ(other.ask("save in-the-new-file"), "done");
         }},
        {"killed while it sets a damaged file aside, and started again", "setting-aside", "fetch before", nullptr,
         Before::damaged,
         [](const QString&, StoreProcess& held, StoreProcess& other) {
             held.killAndStartAgain();
             for (const char* command : {"save during-1", "fetch before", "save during-2"})
                 other.tell(command);
         }},
        {"finding a damaged file, while the other, which has it open, closes", "damage-found", "fetch before", nullptr,
         Before::damaged,
         [](const QString&, StoreProcess& held, StoreProcess& other) {
             ASSERT_EQ(other.ask("hold closing"), "done");
             other.tell("close");
             ASSERT_EQ(other.answer(), "held");
             held.release();
             const QByteArray early = held.answer(500); // a moment to set the file aside
             EXPECT_TRUE(early.isEmpty()) << "the set-aside waits for the close to end";
             other.release();
             EXPECT_EQ(other.answer(), "done");
             EXPECT_EQ(early.isEmpty() ? held.answer() : early, "missing");
             for (const char* command : {"save during-1", "save during-2"})
                 other.tell(command);
         }},
        {"finding a damaged file, while the other opens it again and sets it aside first", "damage-found",
         "fetch before", "missing", Before::damaged,
         [](const QString&, StoreProcess&, StoreProcess& other) {
             ASSERT_EQ(other.ask("close"), "done");
             for (const char* command : {"save during-1", "save during-2"})
                 EXPECT_EQ(other.ask(command), "done");
         }},
        // Its drop must look for the log again under the exclusive lock: it is the new file's now.
        {"finding a stray log, while the other drops it, makes the file and commits", "stray-found", "save racing",
         "done", Before::stray,
         [](const QString&, StoreProcess&, StoreProcess& other) { EXPECT_EQ(other.ask("save during-1"), "done"); }},
        {"dropping a stray log, while the other wants the file", "drop-memory", "save racing", "done", Before::stray,
         [](const QString&, StoreProcess&, StoreProcess& other) {
             other.tell("save during-1");
             EXPECT_TRUE(other.answer(500).isEmpty()) << "it makes no file before the drop's end";
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("CloudDatabase.sqlite"));
        StoreProcess held(file);
        StoreProcess other(file);
        ASSERT_EQ(other.ask("save before"), "done");
        if (row.before == Before::damaged) {
            ASSERT_TRUE(spoilPage(file, unreadPage(file)));
            ASSERT_EQ(other.ask("save while-damaged"), "done") << "open, it works on";
        } else if (row.before == Before::stray) {
            ASSERT_EQ(other.ask("close"), "done");
            ASSERT_TRUE(QFile::rename(file, file + QStringLiteral(".moved")));
            ASSERT_TRUE(QFile(file + QStringLiteral("-wal")).open(QIODevice::WriteOnly));
        }
        other.acknowledged.clear(); // what is in the file from before the step is not counted

        ASSERT_EQ(held.ask(QByteArray("hold ") + row.step), "done");
        held.tell(row.heldCall);
        ASSERT_EQ(held.answer(), "held");
        row.meanwhile(file, held, other);
        if (row.heldAnswer) {
            held.release();
            EXPECT_EQ(held.answer(), row.heldAnswer);
        }
        while (!other.asked.empty())
            ASSERT_FALSE(other.answer().isEmpty()) << "the other program answers no more";
        // Both work on in the file at the path.
        EXPECT_EQ(held.ask("save after-1"), "done");
        EXPECT_EQ(other.ask("save after-2"), "done");
        if (row.before == Before::damaged) {
            EXPECT_TRUE(other.acknowledged.contains(QStringLiteral("during-1")) &&
                        other.acknowledged.contains(QStringLiteral("during-2")))
                << other.acknowledged.join(' ').toStdString();
            const QStringList kept =
                QDir(folder.path()).entryList({QStringLiteral("CloudDatabase.sqlite.damaged-*[0-9Z]")});
            ASSERT_EQ(kept.size(), 1);
            EXPECT_EQ(OtherProcess(folder.filePath(kept[0])).value("SELECT count(*) FROM records"), 2)
                << "the file set aside holds what was saved before";
        }

        SqliteCloudStore fresh(file);
        for (const QString& name : held.acknowledged + other.acknowledged) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(held.ask("fetch " + name.toUtf8()), "found");
            EXPECT_EQ(other.ask("fetch " + name.toUtf8()), "found");
            EXPECT_TRUE(fresh.fetch(kContainer, {name}).ok());
        }
    }
}

// The kept files of a folder, and the kept logs by their file's name.
std::pair<QStringList, QStringList> keptNames(const QString& folder) {
    QStringList logs = QDir(folder).entryList({QStringLiteral("CloudDatabase.sqlite.damaged-*-wal")}, QDir::Files);
    for (QString& log : logs)
        log.chop(4);
    logs.sort();
    return {QDir(folder).entryList({QStringLiteral("CloudDatabase.sqlite.damaged-*[0-9Z]")}, QDir::Files), logs};
}

// A log or shared memory in the folder that is also another file's (`owners` says whose each was
// before), or empty.
QString sharedCompanion(const QString& folder, std::map<ino_t, ino_t> owners) {
    for (const QString& name :
         QDir(folder).entryList({QStringLiteral("*-wal"), QStringLiteral("*-shm")}, QDir::Files)) {
        const ino_t file = inodeOf(QDir(folder).filePath(name.chopped(4)));
        const auto [owner, first] = owners.emplace(inodeOf(QDir(folder).filePath(name)), file);
        if (file && !first && owner->second != file) return name;
    }
    return {};
}

// The record names a file holds, read as any program would; none when it cannot be read.
std::optional<QStringList> recordNames(const QString& file) {
    OtherProcess reader(file);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(reader.db, "SELECT group_concat(name, ' ') FROM records", -1, &select, nullptr);
    std::optional<QStringList> names;
    if (sqlite3_step(select) == SQLITE_ROW)
        names = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)))
                    .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    sqlite3_finalize(select);
    return names;
}

// A program sets a damaged file aside while another has it open (its log empty, or not) and is
// killed before one of the set-aside's names, or that name fails, by links or by copies. Whatever
// happens: the file is kept whole (each kept file with its log, no kept log alone) or stays whole
// where it was, no log or shared memory serves two files, the kept files read, and every save either
// program was told was made is in the file at the path or in a kept one.
TEST_F(CloudDatabaseTest, ASetAsideKilledOrFailingAtAnyNameLosesNoSaveAndSharesNoLog) {
    struct Step {
        const char* name;
        bool keptDespiteFailure[2]; // by copies, by links
    };
    const auto row = [](const Step& step, bool killed, bool emptyLog, bool links) {
        SCOPED_TRACE(QStringLiteral("%1 at %2, the log %3, by %4")
                         .arg(killed ? "killed" : "failing", step.name, emptyLog ? "empty" : "not empty",
                              links ? "links" : "copies")
                         .toStdString());
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("CloudDatabase.sqlite"));
        StoreProcess held(file);
        StoreProcess other(file);
        ASSERT_EQ(other.ask("save before"), "done");
        ASSERT_TRUE(spoilPage(file, unreadPage(file))); // which empties the log
        if (!emptyLog) {
            ASSERT_EQ(other.ask("save while-damaged"), "done");
        }
        const ino_t damaged = inodeOf(file);
        const std::map<ino_t, ino_t> owners{{inodeOf(file + "-wal"), damaged}, {inodeOf(file + "-shm"), damaged}};
        std::list<QFile> pinned; // held open, so that no new file takes their numbers
        for (const QString& name : {file, file + "-wal", file + "-shm"})
            pinned.emplace_back(name).open(QIODevice::ReadOnly);
        if (!links) {
            ASSERT_EQ(held.ask("no-links"), "done");
        }
        ASSERT_EQ(held.ask((killed ? "hold " : "fail ") + QByteArray(step.name)), "done");
        held.tell("fetch before");
        if (killed) {
            ASSERT_EQ(held.answer(), "held");
            held.killAndStartAgain();
        } else {
            const bool kept = step.keptDespiteFailure[links];
            EXPECT_EQ(held.answer().startsWith("failed"), !kept);
            const auto [files, logs] = keptNames(folder.path());
            EXPECT_EQ(files.size(), kept ? 1 : 0) << "no second copy beside the file";
            EXPECT_EQ(logs, files) << "no half set of kept names";
            EXPECT_EQ(inodeOf(file) == damaged, !kept);
        }
        for (const char* command : {"save during-1", "fetch before", "save during-2"})
            other.ask(command);
        EXPECT_EQ(held.ask("save after-1"), "done");
        EXPECT_EQ(other.ask("save after-2"), "done");

        EXPECT_EQ(sharedCompanion(folder.path(), owners), QString());
        const auto [files, logs] = keptNames(folder.path());
        EXPECT_FALSE(files.isEmpty());
        EXPECT_EQ(logs, files) << "each kept file with its log, no kept log alone";
        QStringList stored = recordNames(file).value_or(QStringList());
        for (const QString& kept : files) {
            const std::optional<QStringList> inKept = recordNames(folder.filePath(kept));
            EXPECT_TRUE(inKept) << "the kept file reads";
            stored += inKept.value_or(QStringList());
        }
        for (const QString& saved : held.acknowledged + other.acknowledged)
            EXPECT_TRUE(stored.contains(saved)) << saved.toStdString() << " is in no file";
    };
    const Step steps[] = {{"keep-log", {false, true}},
                          {"keep-file", {false, true}},
                          {"drop-memory", {true, true}},
                          {"drop-file", {false, false}},
                          {"drop-log", {true, true}}};
    for (const Step& step : steps)
        for (const bool killed : {true, false})
            for (const bool emptyLog : {true, false})
                for (const bool links : {true, false})
                    row(step, killed, emptyLog, links);
}
#endif

TEST_F(CloudDatabaseTest, QuittingDropsTheWaitingCallsAndWaitsForNoLock) {
    // The first save goes to the worker, two wait their turn; with a latency, or without.
    for (const double latency : {0.0, 0.5}) {
        Mac mac(dir.path() + QStringLiteral("/quit-%1.sqlite").arg(latency));
        mac.service.conditions().latency = latency;
        int answered = 0;
        for (const char* name : {"s1", "s2", "s3"})
            mac.db.saveRecord(record(name), [&](CloudResult<CloudRecord>) { ++answered; });
        QStringList lines;
        const LogSink previous = setLogSink([&](const QString& line) { lines << line; });
        mac.service.shutDown();
        mac.db.saveRecord(record("after"), [&](CloudResult<CloudRecord>) { ++answered; });
        setLogSink(previous);
        mac.scheduler.advance(1);
        EXPECT_EQ(answered, 0) << "nothing answers a program that has quit";
        EXPECT_TRUE(mac.service.readDirectly(kContainer, {"s1"}).ok()) << "what reached the file stays";
        for (const char* name : {"s2", "s3", "after"})
            EXPECT_FALSE(mac.service.readDirectly(kContainer, {name}).ok()) << name;
        EXPECT_EQ(lines, QStringList{"NimbrelCloudDatabase: 2 cloud calls still waiting were dropped at quit"});
    }

    // Another process holds the write lock; a store told to stop waiting gives up at once
    // instead of after its ten seconds.
    a.save(record("r", 1));
    OtherProcess writer(a.service.path());
    ASSERT_TRUE(writer.run("BEGIN IMMEDIATE"));
    SqliteCloudStore store(a.service.path());
    store.stopWaiting();
    QElapsedTimer took;
    took.start();
    const CloudResult<CloudRecord> saved = store.save(kContainer, record("s", 1));
    EXPECT_LT(took.elapsed(), 5000);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().hasCode(CloudError::serviceUnavailable));
}

} // namespace
