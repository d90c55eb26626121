#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace nimbrel {

class UserDefaults;

// What the Dock manager keeps beside the snapshot of the user's Dock, and drops with it: the Docks
// it wrote or wrote over since the snapshot was taken, and whether a restore of the snapshot has
// been written since the last session Dock. In the preferences, as
// {"nimbrelDocks": [[path, ...], ...], "restoreWritten": bool}; an entry of another shape is left out.
struct DockSnapshotState {
    static inline const QString kKey = QStringLiteral("Nimbrel.sessions.dockSnapshotState");
    // Left by earlier versions, taken in once: the session Dock they wrote, and the Dock a failed
    // restore check found (a restore had then been written).
    static inline const QString kWrittenSessionDockKey = QStringLiteral("Nimbrel.sessions.writtenSessionDock");
    static inline const QString kUnrestoredDockKey = QStringLiteral("Nimbrel.sessions.unrestoredDock");

    std::vector<QStringList> nimbrelDocks;
    bool restoreWritten = false;

    // Compared as Docks are: normalized paths, in order.
    bool isNimbrels(const QStringList& dock) const;
    void add(const QStringList& dock);

    static DockSnapshotState load(UserDefaults& defaults);
    // An empty state is removed.
    void save(UserDefaults& defaults) const;
};

} // namespace nimbrel
