#pragma once

#include "sessions/SupportFiles.h"

#include <QJsonDocument>
#include <QString>

#include <functional>
#include <optional>

namespace nimbrel {

struct Platform;

// A snapshot of what the user had before a session (the Dock, the desktop pictures), kept in
// the "Nimbrel" folder until it has been put back. It is written whole and atomically, pretty
// printed with sorted keys. A snapshot that is there but cannot be read or decoded is reported
// once, moved aside under a new name and read as absent: it is never written over in place. A
// write that fails, or that would be larger than the file is read with, is logged each time and
// recorded once, until a write succeeds again. What writes cut short by a crash left beside the
// file goes when it is opened.
class SessionSnapshotFile {
  public:
    struct Reporting {
        QString component;    // "NimbrelSessionDockManager"
        QString failedToLoad; // "failed to load original Dock snapshot: "
        QString loadFailedTitle;
        QString failedToSave; // "failed to save original Dock snapshot: "
        QString saveFailedTitle;
    };

    // A Dock's applications or a picture per screen; a larger file is taken as damaged, and not written.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    SessionSnapshotFile(Platform& platform, const QString& fileName, Reporting reporting);

    enum class State {
        absent,
        loaded,
        blocked, // an unreadable snapshot that could not be moved aside
    };
    // Reads the snapshot and hands it to `decode`, which throws json::DecodeError when its shape is wrong.
    State load(const std::function<void(const QJsonDocument&)>& decode);
    bool write(const QJsonValue& value);
    bool exists() const { return file_.exists(); }
    // False while the file is still there.
    bool remove() const { return file_.remove(); }
    // Keeps it under a new name ("<name>.<reason>-<time>"), never to be read again as the
    // snapshot; that name, or none when it could not be moved.
    std::optional<QString> moveAside(const QString& reason) const { return file_.moveAside(reason); }
    const QString& path() const { return file_.path(); }

  private:
    State setAsideUnreadable(const QString& problem);

    Platform& platform_;
    SupportFile file_;
    Reporting reporting_;
    bool reportedBlocked_ = false;
    bool reportedWriteFailure_ = false;
};

} // namespace nimbrel
