#include "activity/ActivityHistoryFile.h"

#include "activity/ActivityHistoryText.h"

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
    tooLarge_ = false;
    if (!written_ || written_->lineage != entries.lineage() || written_->count > entries.size())
        return replace(entries, error);
    if (written_->count == entries.size()) {
        lastChange_ = Change::none;
        return true;
    }
    const QByteArray tail = encodeHistoryTail(entries, written_->count);
    // The file, once added to, holds exactly the text of the whole history.
    if (refusedAsTooLarge(written_->stamp.size - kClosing.size() + tail.size(), error)) return false;
    const InPlaceAppend added = appendBeforeEnd(path_, written_->stamp, kClosing, tail);
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
    const QByteArray text = encodeHistory(entries);
    if (refusedAsTooLarge(text.size(), error)) return false;
    written_.reset();
    const std::optional<FileStamp> stamp = replaceWhole(path_, text, error);
    if (!stamp) return false;
    lastChange_ = Change::replaced;
    if (entries.size() > 0) written_ = Written{entries.lineage(), entries.size(), *stamp};
    return true;
}

bool ActivityHistoryFile::refusedAsTooLarge(qint64 size, QString* error) {
    tooLarge_ = size > maxBytes_;
    if (tooLarge_ && error)
        *error = QStringLiteral("the history would take %1 bytes, more than the %2 it is read back from; %3 keeps "
                                "what it held")
                     .arg(size)
                     .arg(maxBytes_)
                     .arg(path_);
    return tooLarge_;
}

} // namespace nimbrel
