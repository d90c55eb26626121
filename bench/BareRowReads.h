#pragma once

// The floor a cloud fetch is compared with: the same rows of the cloud database file read with
// bare SQLite calls in one transaction, nothing decoded.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

class BareRowReader {
  public:
    BareRowReader(const QString& path, const QString& container, std::vector<QByteArray> names)
        : container_(container.toUtf8()), names_(std::move(names)) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db_, "SELECT type, tag, fields FROM records WHERE container = ?1 AND name = ?2", -1,
                           &select_, nullptr);
    }
    ~BareRowReader() {
        sqlite3_finalize(select_);
        sqlite3_close(db_);
    }
    BareRowReader(const BareRowReader&) = delete;
    BareRowReader& operator=(const BareRowReader&) = delete;

    // Reads every row once; the bytes of their fields.
    size_t readAll() {
        size_t bytes = 0;
        sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
        for (const QByteArray& name : names_) {
            sqlite3_bind_text(select_, 1, container_.constData(), int(container_.size()), SQLITE_STATIC);
            sqlite3_bind_text(select_, 2, name.constData(), int(name.size()), SQLITE_STATIC);
            if (sqlite3_step(select_) == SQLITE_ROW) bytes += size_t(sqlite3_column_bytes(select_, 2));
            sqlite3_reset(select_);
        }
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        return bytes;
    }

  private:
    QByteArray container_;
    std::vector<QByteArray> names_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

inline void readRowsBare(benchmark::State& state, const QString& path, const QString& container,
                         const std::vector<QByteArray>& names) {
    BareRowReader reader(path, container, names);
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.readAll());
}
