#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace nimbrel {

// One state of a file: any write to it, or its replacement, changes the stamp.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
std::optional<FileStamp> fileStamp(const QString& realPath);

// Adds to a file whose contents are closed by its last bytes (`end`, such as a JSON array's
// closing bracket): the file P + end becomes P + text, `text` being longer than `end`. First
// the part of `text` past end's length is written after the file's last byte and flushed to
// disk; then the first bytes of `text` replace `end` in one write within one disk sector, and
// are flushed. Until that write the file holds its old contents followed by the new bytes,
// which its reader must ignore; a crash at any moment leaves the old contents or the new ones.
// The file must still be as `expected` says and end with `end`, and `end` must lie within one
// 512-byte sector; otherwise nothing is written (`refused`: the caller rewrites the file).
// Another process may write the same file: the checks and the writes are made under the file's
// FileLock, and a file whose lock another writer holds is refused too, so no two writers
// ever add at the same place.
struct InPlaceAppend {
    enum class Result { appended, refused, failed } result = Result::refused;
    FileStamp stamp; // the file's, once appended
    QString error;   // why it failed
};
InPlaceAppend appendBeforeEnd(const QString& realPath, const FileStamp& expected, const QByteArray& end,
                              const QByteArray& text);
// For tests of two writers: called with the file's path once an addition has passed its checks,
// just before its first write. Returns the previous one.
using InPlaceAppendHook = std::function<void(const QString& realPath)>;
InPlaceAppendHook setInPlaceAppendHookForTesting(InPlaceAppendHook hook);

} // namespace nimbrel
