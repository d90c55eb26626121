#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace nimbrel {

class UserDefaults;

// What the Dock manager keeps beside the snapshot of the user's Dock: the Docks it wrote or wrote
// over since the snapshot was taken, and whether a restore of the snapshot has been written since
// the last session Dock. Kept as {"nimbrelDocks": [[path, ...], ...], "restoreWritten": bool}, with
// "incomplete": true where the Docks named may not be all of Nimbrel's.
struct DockSnapshotState {
    // Where earlier versions kept it, taken over once: the state, the session Dock they wrote,
    // and the Dock a failed restore check found (a restore had then been written).
    static inline const QString kKey = QStringLiteral("Nimbrel.sessions.dockSnapshotState");
    static inline const QString kWrittenSessionDockKey = QStringLiteral("Nimbrel.sessions.writtenSessionDock");
    static inline const QString kUnrestoredDockKey = QStringLiteral("Nimbrel.sessions.unrestoredDock");

    std::vector<QStringList> nimbrelDocks;
    bool restoreWritten = false;
    // Set while the Dock is being written (after a kill then, whether it ever showed what was
    // written is not known), and kept after a restore wrote over a Dock that could not be read:
    // the state is then read as lost, but for the Docks it names.
    bool incomplete = false;
    // Never kept. A snapshot whose state is lost (left so by an earlier build, or unreadable) may
    // have been written back already: it is taken as written, and the Docks of the sessions stand
    // in for the Docks Nimbrel wrote.
    bool lost = false;
    std::vector<QStringList> sessionDocks;

    // Compared as Docks are: normalized paths, in order. `names`: one of `nimbrelDocks`;
    // `isNimbrels`: that, or one of the sessions' Docks standing in for them.
    bool names(const QStringList& dock) const;
    bool isNimbrels(const QStringList& dock) const;
    // To the Docks Nimbrel wrote.
    void add(const QStringList& dock);

    QJsonObject toJson() const;
    // Throws json::DecodeError for any other shape: a state missing a Dock is no state.
    static DockSnapshotState fromJson(const QJsonDocument& document);
    // What earlier versions kept in the preferences; none when it has another shape.
    static bool inPreferences(const UserDefaults& defaults);
    static std::optional<DockSnapshotState> fromPreferences(const UserDefaults& defaults);
    static void removeFromPreferences(UserDefaults& defaults);
};

} // namespace nimbrel
