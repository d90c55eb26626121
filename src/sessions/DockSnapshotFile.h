#pragma once

#include "sessions/SessionSnapshotFile.h"

#include <QJsonArray>
#include <QStringList>

#include <optional>

namespace nimbrel {

struct Platform;
class DockSnapshotStateFile;

// "OriginalDockSnapshot.json": the user's Dock from before the first session, a JSON array of
// its paths as read from the Dock. A snapshot that earlier versions set aside when they stopped
// restoring it is taken back as the snapshot, once, marked as written back in `state`. A Dock
// that may be the user's is kept beside it, in the same form, before it is written over.
class DockSnapshotFile {
  public:
    static inline const QString kFileName = QStringLiteral("OriginalDockSnapshot.json");
    // Left by earlier versions, which set a snapshot aside after two failed checks: the name it
    // was kept under.
    static inline const QString kStoppedSnapshotKey = QStringLiteral("Nimbrel.sessions.stoppedDockSnapshot");
    static inline const QString kReplacedDockFileName = QStringLiteral("ReplacedDock.json");

    DockSnapshotFile(Platform& platform, DockSnapshotStateFile& state);

    // None when there is none or it cannot be read; `blocked`: an unreadable one that could not
    // be moved aside.
    std::optional<QStringList> load(bool* blocked = nullptr);
    bool write(const QStringList& paths) { return file_.write(QJsonArray::fromStringList(paths)); }
    bool exists() const { return file_.exists(); }
    bool remove() const { return file_.remove(); }
    std::optional<QString> moveAside(const QString& reason) const { return file_.moveAside(reason); }
    // A Dock about to be written over that may be an arrangement of the user's, kept as its paths
    // in a file of its own: written whole as "ReplacedDock.json", then set aside as
    // "ReplacedDock.json.kept-<time>". That path; none when it could not be written (reported)
    // or named.
    std::optional<QString> setReplacedDockAside(const QStringList& paths);
    const QString& path() const { return file_.path(); }

  private:
    std::optional<QStringList> takeBackStoppedSnapshot();

    Platform& platform_;
    DockSnapshotStateFile& state_;
    SessionSnapshotFile file_;
    SessionSnapshotFile replaced_;
};

} // namespace nimbrel
