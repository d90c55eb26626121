#pragma once

#include "platform/CoalescedFileWriter.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <QJsonObject>
#include <QSet>

#include <memory>
#include <mutex>

namespace nimbrel {

// The program's defaults on this machine: one JSON file ("defaults.json" in
// Locations::preferences), every value kept with its type (see TypedValueCoding.h).
// Reads are served from memory. Changes are written off the caller's thread, the whole file
// atomically and flushed to disk, at most once every 100 ms and in order; `synchronize()`
// and destruction wait for them. A crash at any moment leaves the previous file or a newer
// one, and loses at most the changes of the last interval. A file that cannot be read is
// moved aside (kept for the user) and the defaults start empty; a single stored value that
// cannot be read is kept in the file as it was, unseen, until that key is set anew. A file larger
// than the reader takes is never written: the write fails, the file keeps what it held, and the
// values stay in memory for the next change, which writes them all when they fit.
class JsonFileUserDefaults final : public UserDefaults {
  public:
    static constexpr std::chrono::milliseconds kWriteInterval{100};
    // Room for tens of thousands of rules; a larger file is taken as damaged, and not written.
    static constexpr qint64 kMaxFileBytes = 64 * kMebibyte;

    // `maxFileBytes` is for tests: the program reads and writes within kMaxFileBytes.
    explicit JsonFileUserDefaults(QString filePath, qint64 maxFileBytes = kMaxFileBytes);
    // Writes what is still waiting.
    ~JsonFileUserDefaults() override;
    static QString filePath(const Locations& locations);

    QVariant object(const QString& key) const override;
    // Values of other types than the stored ones are refused with a log line.
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    QStringList keysStartingWith(const QString& prefix) const override;
    // Waits for the waiting changes to be written, and writes again if the last write
    // failed; true when the file holds every change.
    bool synchronize() override;
    ObserverToken observe(const QString& key, std::function<void()> onChange) override;
    // Failed writes are logged on the thread of `scheduler` as they happen (not only at the next
    // change), and the first of a run of them, until a write succeeds, is also told to `failed`
    // there. Without it they are logged at the next change or synchronize.
    void reportWriteFailuresOn(Scheduler& scheduler, std::function<void(const QString& error)> failed);

    const QString& path() const { return path_; }
    // Where an unreadable file was moved at start (empty when none was).
    const QString& movedAsidePath() const { return movedAside_; }
    // What was wrong with the file found at start, and where it went (empty when nothing was).
    const QString& setAsideProblem() const { return setAsideProblem_; }

  private:
    void load();
    // Decodes a data value read from the file at its first use (see pendingData_).
    void decodePendingData(const QString& key) const;
    void write();
    // Writes unless the file already holds every value as it is now.
    void writeIfChanged(bool changed);
    bool reportWriteFailure();
    QByteArray render() const;

    QString path_;
    const qint64 maxFileBytes_;
    // The values, the file's forms and the data not yet decoded are completed by the first read
    // of a data value, which is why they may change in a const reader.
    mutable QVariantMap values_;
    // The file's form of every value other than data, and of those that could not be read; data
    // values are kept as their bytes, which `values_` shares, and turned into their file form
    // (base64) by the writer's thread. The writer's thread takes both under the mutex: a copy
    // shares them until the next change. A key is in one of the two at most.
    mutable QJsonObject stored_;
    mutable QHash<QString, QByteArray> storedData_;
    // Data values read from the file and not yet decoded, their file form in `stored_`: the stored
    // rules are megabytes of base64, and decoding them at launch would hold up the first window
    // for what is read a second later.
    mutable QSet<QString> pendingData_;
    mutable std::mutex storedMutex_;
    NotificationCenter changes_;
    bool writable_ = true;
    QString movedAside_;
    QString setAsideProblem_;
    std::function<void(const QString& error)> failed_;
    Lifetime lifetime_; // for the failures the writer posts
    std::unique_ptr<CoalescedFileWriter> writer_;
};

} // namespace nimbrel
