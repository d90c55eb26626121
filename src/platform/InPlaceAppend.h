#pragma once

#include "platform/Files.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace nimbrel {

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
// ever add at the same place. A writer that rewrites the file whole (replaceWhole) renames a
// new file over it even then; an addition whose file was so replaced before it was done is
// refused as well, its bytes having gone to the file no longer there.
struct InPlaceAppend {
    enum class Result { appended, refused, failed } result = Result::refused;
    FileStamp stamp; // the file's, once appended
    QString error;   // why it failed
};
InPlaceAppend appendBeforeEnd(const QString& realPath, const FileStamp& expected, const QByteArray& end,
                              const QByteArray& text);
// Replaces the file whole (writeFileAtomically) while holding its FileLock, so that an
// addition in place that has not passed its checks yet is refused meanwhile. The stamp is the
// file this call put in place: should another writer replace it in turn, the caller's next
// addition finds the file changed.
std::optional<FileStamp> replaceWhole(const QString& realPath, const QByteArray& text, QString* error);

// For tests of two writers: called with the file's path at each stage of a change; one who
// holds it there holds that writer. Returns the previous hook.
enum class FileChangeStage {
    beforeLock,    // an addition, before it takes the lock
    checked,       // an addition that passed its checks, before its first write
    betweenWrites, // an addition whose new bytes are past the end, before the one write that joins them
    replaced,      // a whole replacement in place, its lock still held
};
using FileChangeHook = std::function<void(const QString& realPath, FileChangeStage stage)>;
FileChangeHook setFileChangeHookForTesting(FileChangeHook hook);

} // namespace nimbrel
