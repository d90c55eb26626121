#include "activity/ActivityStore.h"

#include "activity/ActivityHistoryFile.h"
#include "activity/ActivityHistoryReading.h"
#include "activity/ActivityRecorder.h"

#include "platform/Calendar.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace nimbrel {

namespace {
const QString kComponent = QStringLiteral("NimbrelActivityStore");
} // namespace

// Writes of the history, possibly from a worker: each write carries a sequence number and
// an older write never lands after a newer one.
struct NimbrelActivityStore::Writer {
    Writer(QString path, qint64 maxBytes) : file(std::move(path), maxBytes) {}

    ActivityHistoryFile file;
    bool writable = true; // false when an unreadable history could not be kept aside
    std::mutex mutex;
    uint64_t nextSequence = 0; // main thread only
    uint64_t lastWritten = 0;

    bool write(uint64_t sequence, const ActivityHistory::Snapshot& entries, QString* error, bool* tooLarge) {
        std::lock_guard lock(mutex);
        if (sequence <= lastWritten) return true;
        if (!file.write(entries, error)) {
            *tooLarge = file.lastWriteTooLarge();
            return false;
        }
        lastWritten = sequence;
        return true;
    }
};

NimbrelActivityStore::NimbrelActivityStore(Platform& platform, qint64 maxFileBytes) : platform_(platform) {
    const QString folder = resolveFolder(platform_);
    if (!folder.isEmpty()) storagePath_ = folder + QLatin1Char('/') + kFileName;
    writer_ = std::make_shared<Writer>(storagePath_, maxFileBytes);
    if (folder.isEmpty()) {
        // No folder of the program's own at all: keep the log in memory only.
        writer_->writable = false;
        logLine(kComponent, QStringLiteral("no folder for the activity history; it is kept in memory only"));
    } else {
        load();
    }
    prune();
}

NimbrelActivityStore::~NimbrelActivityStore() {
    if (pendingSave_) flush();
}

std::shared_ptr<NimbrelActivityStore> NimbrelActivityStore::make(Platform& platform, qint64 maxFileBytes) {
    auto store = std::make_shared<NimbrelActivityStore>(platform, maxFileBytes);
    store->start();
    return store;
}

std::shared_ptr<NimbrelActivityStore> NimbrelActivityStore::sharedPtr() {
    return sharedInstancePtr<NimbrelActivityStore>([] { return make(Platform::current()); });
}

NimbrelActivityStore& NimbrelActivityStore::shared() {
    return *sharedPtr();
}

NimbrelActivityStore& NimbrelActivityStore::shared(Platform& platform) {
    return *sharedInstancePtr<NimbrelActivityStore>([&platform] { return make(platform); });
}

QString NimbrelActivityStore::resolveFolder(Platform& platform) {
    const Locations& places = platform.locations;
    if (!places.applicationSupport.isEmpty()) {
        const QString folder = places.nimbrelSupportFolder();
        QDir().mkpath(folder); // a failure shows later as a save message
        return folder;
    }
    if (!places.documents.isEmpty()) {
        const QString folder = places.documents + QStringLiteral("/Nimbrel");
        QDir().mkpath(folder);
        return folder;
    }
    // Never the shared temporary folder: others could read or replace the history there.
    if (places.privateTemporary.isEmpty()) return {};
    return ensurePrivateFolder(places.privateTemporary + QStringLiteral("/Nimbrel")).value_or(QString());
}

void NimbrelActivityStore::start() {
    if (!platform_.notifications) return;
    recordObserver_ = platform_.notifications->addObserver(
        kRecordActivityNotification, [this](const Notification& n) { handleRecordedActivity(n); });
}

void NimbrelActivityStore::load() {
    removeStaleTemporaries(storagePath_);
    const BoundedRead read = readFileWithin(storagePath_, writer_->file.maxBytes());
    if (read.status == BoundedRead::Status::missing) return;
    QString error = read.error;
    if (read.status == BoundedRead::Status::read) {
        auto decoded = json::tryDecode<DecodedHistory>([&] { return decodeHistory(read.bytes); });
        if (decoded) {
            history_.assign(std::move(decoded.value->entries));
            if (decoded.value->unfinishedAddition)
                logLine(kComponent, QStringLiteral("the activity history ends with entries whose writing was cut "
                                                   "short; they are left out"));
            else if (decoded.value->endsAsWritten)
                writer_->file.adopt(history_.lineage(), history_.entries().size());
            return;
        }
        error = decoded.error;
    }
    logLine(kComponent, QStringLiteral("failed to load activity history: ") + error);

    // Keep the unreadable history aside before anything is written over it.
    QString message;
    if (auto kept = moveAside(storagePath_, QStringLiteral("unreadable"))) {
        message = QStringLiteral("The activity history could not be read (%1). It was kept as %2.")
                      .arg(error, QFileInfo(*kept).fileName());
    } else {
        writer_->writable = false;
        message = QStringLiteral("The activity history could not be read (%1) and is left untouched; "
                                 "new activity is not saved.")
                      .arg(error);
    }
    history_.append(NimbrelActivityEntry{Uuid::random(), NimbrelActivityType::error,
                                         QStringLiteral("Activity History Unreadable"), message,
                                         platform_.clock ? platform_.clock->now() : Date{}});
    scheduleSave();
}

bool NimbrelActivityStore::prune() {
    const Date now = platform_.clock ? platform_.clock->now() : Date{};
    const double at = now.secondsSinceReferenceDate;
    QTimeZone zone = currentTimeZone();
    if (!pruneDay_ || pruneDay_->zone != zone ||
        !(at >= pruneDay_->start.secondsSinceReferenceDate && at < pruneDay_->end.secondsSinceReferenceDate)) {
        const Calendar calendar(zone);
        const Date start = calendar.startOfDay(now);
        pruneDay_ =
            PruneDay{std::move(zone), start, calendar.addingDays(start, 1), calendar.addingDays(start, -kKeptDays)};
    }
    const Date cutoff = pruneDay_->cutoff;
    if (!std::isfinite(cutoff.secondsSinceReferenceDate)) return false;
    return history_.eraseBefore(cutoff);
}

namespace {
double repeatWindow(const NimbrelActivityEntry& entry) {
    return entry.type == NimbrelActivityType::error ? NimbrelActivityStore::kErrorRepeatWindow
                                                    : NimbrelActivityStore::kRepeatWindow;
}
} // namespace

bool NimbrelActivityStore::isDuplicate(const NimbrelActivityEntry& entry) const {
    return history_.hasRepeatOf(entry, repeatWindow(entry));
}

void NimbrelActivityStore::add(const NimbrelActivityEntry& entry) {
    if (!history_.appendUnlessKnown(entry, repeatWindow(entry))) return;
    prune();
    changed();
    scheduleSave();
}

void NimbrelActivityStore::scheduleSave() {
    if (pendingSave_ || !writer_->writable) return;
    if (!platform_.scheduler) {
        flush();
        return;
    }
    pendingSave_ = platform_.scheduler->after(kSaveDelay, lifetime_.guard([this] { saveInBackground(); }));
}

void NimbrelActivityStore::saveInBackground() {
    pendingSave_.reset();
    const uint64_t sequence = ++writer_->nextSequence;
    // The worker gets the history as it is now without a copy of it; later changes go elsewhere.
    auto snapshot = std::make_shared<const ActivityHistory::Snapshot>(history_.snapshot());
    struct Outcome {
        bool ok = true;
        bool tooLarge = false;
        QString error;
    };
    auto outcome = std::make_shared<Outcome>();
    auto writer = writer_;
    platform_.scheduler->runInBackground(
        [writer, sequence, snapshot, outcome] {
            outcome->ok = writer->write(sequence, *snapshot, &outcome->error, &outcome->tooLarge);
        },
        [this, guard = lifetime_.watch(), outcome] {
            if (outcome->ok) return;
            if (guard.expired())
                logLine(kComponent, QStringLiteral("failed to save activity history: ") + outcome->error);
            else
                saveFailed(outcome->error, outcome->tooLarge);
        });
}

void NimbrelActivityStore::saveFailed(const QString& error, bool tooLarge) {
    logLine(kComponent, QStringLiteral("failed to save activity history: ") + error);
    if (!tooLarge) return;
    // Kept in memory, like the entries that could not be saved, and never saved by itself: a
    // save now would be refused the same way, and report it again. A later save takes it.
    const NimbrelActivityEntry entry{
        Uuid::random(), NimbrelActivityType::error, QStringLiteral("Activity History Not Saved"),
        QStringLiteral("The activity history has grown larger than the %1 bytes Nimbrel can read back, so it was "
                       "not saved. Its file keeps the earlier entries; the newer ones stay while Nimbrel runs.")
            .arg(writer_->file.maxBytes()),
        platform_.clock ? platform_.clock->now() : Date{}};
    if (history_.appendUnlessKnown(entry, kErrorRepeatWindow)) changed();
}

bool NimbrelActivityStore::flush() {
    if (pendingSave_) {
        pendingSave_->cancel();
        pendingSave_.reset();
    }
    if (!writer_->writable) return false;
    QString error;
    bool tooLarge = false;
    if (!writer_->write(++writer_->nextSequence, history_.snapshot(), &error, &tooLarge)) {
        saveFailed(error, tooLarge);
        return false;
    }
    return true;
}

std::vector<Date> NimbrelActivityStore::recentDays() const {
    const Calendar calendar = Calendar::current();
    const Date today = calendar.startOfDay(platform_.clock ? platform_.clock->now() : Date{});
    std::vector<Date> days;
    days.reserve(kKeptDays);
    for (int offset = kKeptDays - 1; offset >= 0; --offset)
        days.push_back(calendar.addingDays(today, -offset));
    return days;
}

std::vector<NimbrelActivityEntry> NimbrelActivityStore::entries(Date day) const {
    const Calendar calendar = Calendar::current();
    std::vector<NimbrelActivityEntry> out;
    for (const auto& e : history_.entries())
        if (calendar.isSameDay(e.date, day)) out.push_back(e);
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.date > b.date; });
    return out;
}

void NimbrelActivityStore::insertSampleEntriesIfEmpty() {
    if (!history_.entries().empty()) return;
    const Date now = platform_.clock ? platform_.clock->now() : Date{};
    add({Uuid::random(), NimbrelActivityType::session, QStringLiteral("Session Started"),
         QStringLiteral("Scheduled Session automatically launched successfully"), now});
    add({Uuid::random(), NimbrelActivityType::rule, QStringLiteral("Rule Triggered"),
         QStringLiteral("A Nimbrel rule was triggered successfully"), now});
    add({Uuid::random(), NimbrelActivityType::blacklist, QStringLiteral("App Blacklisted"),
         QStringLiteral("ChatGPT was added to the blacklist"), now});
}

void NimbrelActivityStore::handleRecordedActivity(const Notification& notification) {
    const QVariantMap& info = notification.userInfo;
    NimbrelActivityEntry entry;
    entry.id = Uuid::random();
    const QVariant id = info.value(QStringLiteral("id"));
    if (id.typeId() == QMetaType::QUuid && !id.toUuid().isNull())
        entry.id = Uuid(id.toUuid());
    else if (id.typeId() == QMetaType::QString)
        entry.id = Uuid::parse(id.toString()).value_or(entry.id);
    entry.type = NimbrelActivityType::info;
    const QVariant type = info.value(QStringLiteral("type"));
    if (type.typeId() == QMetaType::QString)
        entry.type = json::enumFromName<NimbrelActivityType>(type.toString()).value_or(NimbrelActivityType::info);
    const QVariant title = info.value(QStringLiteral("title"));
    entry.title = title.typeId() == QMetaType::QString ? title.toString() : QStringLiteral("Activity");
    const QVariant message = info.value(QStringLiteral("message"));
    entry.message =
        message.typeId() == QMetaType::QString ? message.toString() : QStringLiteral("Nimbrel recorded an activity");
    const QVariant date = info.value(QStringLiteral("date"));
    entry.date = date.userType() == qMetaTypeId<Date>() ? date.value<Date>()
                                                        : (platform_.clock ? platform_.clock->now() : Date{});
    if (platform_.scheduler)
        platform_.scheduler->post(lifetime_.guard([this, entry] { add(entry); }));
    else
        add(entry);
}

ObserverToken NimbrelActivityStore::observeEntries(std::function<void()> onChange) {
    return changes_.addObserver(QStringLiteral("entries"), [fn = std::move(onChange)](const Notification&) { fn(); });
}

void NimbrelActivityStore::changed() {
    changes_.post(QStringLiteral("entries"));
}

} // namespace nimbrel
