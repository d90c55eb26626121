#pragma once

#include "sessions/DockSnapshotState.h"
#include "sessions/SessionSnapshotFile.h"

#include <optional>

namespace nimbrel {

struct Platform;

// "OriginalDockSnapshotState.json", beside the snapshot in the "Nimbrel" folder: the
// DockSnapshotState, written whole and atomically, so that it is on disk before the Dock shows a
// Dock it names. One that cannot be read is reported, moved aside and read as missing, as the
// snapshot is; the one earlier versions kept in the preferences is taken over once.
class DockSnapshotStateFile {
  public:
    static inline const QString kFileName = QStringLiteral("OriginalDockSnapshotState.json");

    explicit DockSnapshotStateFile(Platform& platform);

    // None when there is none or it cannot be read.
    std::optional<DockSnapshotState> load();
    // True once it is on disk.
    bool save(const DockSnapshotState& state);
    // Deletes it; one that cannot be deleted is rewritten to name no Dock (and marked written
    // back), so that a later arrangement equal to a Dock it named is not taken for Nimbrel's.
    // False when it stays as it was.
    bool clear();

  private:
    Platform& platform_;
    SessionSnapshotFile file_;
};

} // namespace nimbrel
