#pragma once

// The floor a cloud fetch is compared with: the same rows of the cloud database file read with
// bare SQLite calls in one transaction, nothing decoded.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

inline void readRowsBare(benchmark::State& state, const QString& path, const QString& container,
                         const std::vector<QByteArray>& names) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT type, tag, fields FROM records WHERE container = ?1 AND name = ?2", -1, &select,
                       nullptr);
    const QByteArray containerBytes = container.toUtf8();
    for (auto _ : state) {
        size_t bytes = 0;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const QByteArray& name : names) {
            sqlite3_bind_text(select, 1, containerBytes.constData(), int(containerBytes.size()), SQLITE_STATIC);
            sqlite3_bind_text(select, 2, name.constData(), int(name.size()), SQLITE_STATIC);
            if (sqlite3_step(select) == SQLITE_ROW) bytes += size_t(sqlite3_column_bytes(select, 2));
            sqlite3_reset(select);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}
