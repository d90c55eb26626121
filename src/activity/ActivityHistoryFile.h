#pragma once

#include "activity/ActivityHistory.h"
#include "platform/Files.h"
#include "platform/InPlaceAppend.h"

#include <QString>

#include <optional>

namespace nimbrel {

// "activity-history.json" as this process last read or wrote it, brought up to date with
// snapshots of the history, by one thread at a time. Entries added since the file was last
// written are added in place (appendBeforeEnd): they cost what they weigh, whatever the size
// of the history. The whole file is replaced atomically when the history lost entries since
// (a prune), when it was never written or read whole, after a failed write, when someone else
// changed the file, and when the closing bracket would straddle a disk sector. A history
// larger than its reader takes is never written: the file keeps what it held.
class ActivityHistoryFile {
  public:
    // The most the history's reader takes (hundreds of thousands of entries; a larger file is
    // taken as damaged), and so the most its writer writes.
    static constexpr qint64 kMaxBytes = 128 * kMebibyte;

    explicit ActivityHistoryFile(QString path, qint64 maxBytes = kMaxBytes)
        : path_(std::move(path)), maxBytes_(maxBytes) {}

    const QString& path() const { return path_; }
    qint64 maxBytes() const { return maxBytes_; }
    // The file as just read holds the first `count` entries of the history's `lineage` and
    // ends as this writer ends it; from its stamp now on, later entries may be added in place.
    void adopt(uint64_t lineage, size_t count);
    // The file holds `entries` afterwards, or the error says why not.
    bool write(const ActivityHistory::Snapshot& entries, QString* error);
    // Whether the last write was refused for the size the file would have had.
    bool lastWriteTooLarge() const { return tooLarge_; }

    enum class Change { none, added, replaced };
    // How the last successful write changed the file.
    Change lastChange() const { return lastChange_; }

  private:
    struct Written {
        uint64_t lineage = 0;
        size_t count = 0;
        FileStamp stamp;
    };
    bool replace(const ActivityHistory::Snapshot& entries, QString* error);
    // Refuses a file of `size` bytes when its reader would not take it back.
    bool refusedAsTooLarge(qint64 size, QString* error);

    QString path_;
    qint64 maxBytes_;
    bool tooLarge_ = false;
    std::optional<Written> written_; // none when the file's contents are not known
    Change lastChange_ = Change::none;
};

} // namespace nimbrel
