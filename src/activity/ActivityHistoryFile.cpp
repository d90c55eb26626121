#include "activity/ActivityHistoryFile.h"

#include "activity/ActivityHistoryText.h"
#include "platform/FileLock.h"
#include "platform/Files.h"

namespace nimbrel {

namespace {
// How the history's text ends after its last entry.
const QByteArray kClosing = QByteArrayLiteral("\n]\n");
} // namespace

void ActivityHistoryFile::adopt(uint64_t lineage, size_t count) {
    written_.reset();
    if (count == 0) return; // the closing bracket then follows the opening one, not an entry
    if (const auto stamp = fileStamp(path_)) written_ = Written{lineage, count, *stamp};
}

bool ActivityHistoryFile::write(const ActivityHistory::Snapshot& entries, QString* error) {
    if (!written_ || written_->lineage != entries.lineage() || written_->count > entries.size())
        return replace(entries, error);
    if (written_->count == entries.size()) {
        lastChange_ = Change::none;
        return true;
    }
    const InPlaceAppend added =
        appendBeforeEnd(path_, written_->stamp, kClosing, encodeHistoryTail(entries, written_->count));
    switch (added.result) {
    case InPlaceAppend::Result::appended:
        written_->count = entries.size();
        written_->stamp = added.stamp;
        lastChange_ = Change::added;
        return true;
    case InPlaceAppend::Result::refused:
        return replace(entries, error);
    case InPlaceAppend::Result::failed:
        break;
    }
    written_.reset(); // what the file holds now is for the next write's replacement to settle
    if (error) *error = added.error;
    return false;
}

bool ActivityHistoryFile::replace(const ActivityHistory::Snapshot& entries, QString* error) {
    written_.reset();
    // Another process adding to the file in place finds the lock taken, or the file replaced.
    const FileLock lock(path_);
    if (!writeFileAtomically(path_, encodeHistory(entries), error)) return false;
    lastChange_ = Change::replaced;
    if (const auto stamp = fileStamp(path_); stamp && entries.size() > 0)
        written_ = Written{entries.lineage(), entries.size(), *stamp};
    return true;
}

} // namespace nimbrel
