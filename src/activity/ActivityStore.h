#pragma once

#include "activity/ActivityEntry.h"
#include "activity/ActivityHistory.h"
#include "activity/ActivityHistoryFile.h"
#include "activity/ActivityRecorder.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"

#include <QString>
#include <QTimeZone>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;

// The last 30 days of activity, kept in "activity-history.json" and shown by the activity screen.
class NimbrelActivityStore {
  public:
    static constexpr int kKeptDays = 30;
    static constexpr double kRepeatWindow = 300;     // seconds
    static constexpr double kErrorRepeatWindow = 10; // seconds
    // Writes of a burst of entries are gathered into one, this long after the first.
    static constexpr double kSaveDelay = 0.25;
    static inline const QString kFileName = QStringLiteral("activity-history.json");

    // Loads and prunes the history. Call start() (shared() does) to observe recorded activities.
    // Days are calendar days in the time zone current at each calculation. The history file is
    // read and written up to `maxFileBytes` (ActivityHistoryFile::kMaxBytes; tests take less):
    // a larger file is taken as damaged and kept aside, and a larger history is not saved.
    explicit NimbrelActivityStore(Platform& platform, qint64 maxFileBytes = ActivityHistoryFile::kMaxBytes);
    // Writes what is still waiting, so nothing recorded is lost at exit.
    ~NimbrelActivityStore();
    NimbrelActivityStore(const NimbrelActivityStore&) = delete;
    NimbrelActivityStore& operator=(const NimbrelActivityStore&) = delete;

    static std::shared_ptr<NimbrelActivityStore> sharedPtr();
    static NimbrelActivityStore& shared();
    // The shared store, made over `platform` when there is none yet.
    static NimbrelActivityStore& shared(Platform& platform);
    // Made over `platform` and observing "nimbrelRecordActivity" (tests use it directly).
    static std::shared_ptr<NimbrelActivityStore> make(Platform& platform,
                                                      qint64 maxFileBytes = ActivityHistoryFile::kMaxBytes);

    // Oldest first, in the order of adding.
    const std::vector<NimbrelActivityEntry>& entries() const { return history_.entries(); }
    [[nodiscard]] ObserverToken observeEntries(std::function<void()> onChange);

    // The history file's real path.
    const QString& storagePath() const { return storagePath_; }

    // Drops an entry already present (same id) or a repeat within its window; prunes and saves.
    void add(const NimbrelActivityEntry& entry);
    bool isDuplicate(const NimbrelActivityEntry& entry) const;
    // 30 start-of-day dates, oldest first, ending with today.
    std::vector<Date> recentDays() const;
    // The entries of the calendar day of `day`, newest first.
    std::vector<NimbrelActivityEntry> entries(Date day) const;
    void insertSampleEntriesIfEmpty();

    // Writes the whole history now (on the calling thread). Returns whether it was written.
    bool flush();
    bool hasPendingSave() const { return static_cast<bool>(pendingSave_); }

  private:
    struct Writer;

    void start();
    static QString resolveFolder(Platform& platform);
    void load();
    bool prune();
    void scheduleSave();
    void saveInBackground();
    // After a save failed: a history too large to be read back is one the user must learn of.
    void saveFailed(const QString& error, bool tooLarge);
    void handleRecordedActivity(const Notification& notification);
    void changed();

    Platform& platform_;
    // The day the last prune fell on, in the zone it was worked out in, and the cutoff for it:
    // working out the days costs more than the rest of a record, and a record a day needs it at
    // most once (again when the zone changes).
    struct PruneDay {
        QTimeZone zone;
        Date start, end, cutoff;
    };
    std::optional<PruneDay> pruneDay_;
    QString storagePath_;
    ActivityHistory history_;
    std::shared_ptr<Writer> writer_;
    WorkHandle pendingSave_;
    ObserverToken recordObserver_;
    Lifetime lifetime_;
    NotificationCenter changes_;
};

} // namespace nimbrel
