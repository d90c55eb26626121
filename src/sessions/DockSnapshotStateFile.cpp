#include "sessions/DockSnapshotStateFile.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

DockSnapshotStateFile::DockSnapshotStateFile(Platform& platform)
    : platform_(platform),
      file_(platform, kFileName,
            {QStringLiteral("NimbrelSessionDockManager"), QStringLiteral("failed to load Dock snapshot state: "),
             QStringLiteral("Dock Snapshot State Load Failed"), QStringLiteral("failed to save Dock snapshot state: "),
             QStringLiteral("Dock Snapshot State Failed")}) {}

std::optional<DockSnapshotState> DockSnapshotStateFile::load() {
    DockSnapshotState state;
    const SessionSnapshotFile::State found =
        file_.load([&state](const QJsonDocument& document) { state = DockSnapshotState::fromJson(document); });
    UserDefaults& defaults = *platform_.defaults;
    if (found != SessionSnapshotFile::State::absent || !DockSnapshotState::inPreferences(defaults)) {
        DockSnapshotState::removeFromPreferences(defaults); // left by a kill as they were taken over
        if (found == SessionSnapshotFile::State::loaded) return state;
        return std::nullopt;
    }
    const std::optional<DockSnapshotState> kept = DockSnapshotState::fromPreferences(defaults);
    if (kept && !save(*kept)) return kept; // taken over at the next load
    DockSnapshotState::removeFromPreferences(defaults);
    return kept;
}

bool DockSnapshotStateFile::save(const DockSnapshotState& state) {
    return file_.write(state.toJson());
}

bool DockSnapshotStateFile::clear() {
    DockSnapshotState::removeFromPreferences(*platform_.defaults); // one not yet taken over goes too
    if (file_.remove()) return true;
    logLine(QStringLiteral("NimbrelSessionDockManager"),
            QStringLiteral("could not delete the Dock snapshot state; it is rewritten to name no Dock"));
    DockSnapshotState none;
    none.restoreWritten = true; // were a snapshot ever beside it, never to be written over the user's Dock
    return save(none);
}

} // namespace nimbrel
