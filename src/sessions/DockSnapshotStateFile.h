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
    void clear() const { file_.remove(); }

  private:
    Platform& platform_;
    SessionSnapshotFile file_;
};

} // namespace nimbrel
