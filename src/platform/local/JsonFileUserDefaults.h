#pragma once

#include "platform/Files.h"
#include "platform/UserDefaults.h"

#include <QJsonObject>

namespace nimbrel {

// The program's defaults on this machine: one JSON file ("defaults.json" in
// Locations::preferences), every value kept with its type (see TypedValueCoding.h).
// Every change is written at once, atomically and flushed to disk, so a crash at any
// moment leaves either the previous file or the new one. A file that cannot be read is
// moved aside (kept for the user) and the defaults start empty; a single stored value that
// cannot be read is kept in the file as it was, unseen, until that key is set anew.
class JsonFileUserDefaults final : public UserDefaults {
  public:
    explicit JsonFileUserDefaults(QString filePath);
    static QString filePath(const Locations& locations);

    QVariant object(const QString& key) const override;
    // Values of other types than the stored ones are refused with a log line.
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    // Writes again if the last write failed; true when the file holds every change.
    bool synchronize() override;
    ObserverToken observe(const QString& key, std::function<void()> onChange) override;

    const QString& path() const { return path_; }
    // Where an unreadable file was moved at start (empty when none was).
    const QString& movedAsidePath() const { return movedAside_; }

  private:
    void load();
    bool write();

    QString path_;
    QVariantMap values_;
    QJsonObject stored_; // the file's form of every value, and of those that could not be read
    NotificationCenter changes_;
    bool lastWriteSucceeded_ = true;
    bool writable_ = true;
    QString movedAside_;
};

} // namespace nimbrel
