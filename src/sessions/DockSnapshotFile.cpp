#include "sessions/DockSnapshotFile.h"

#include "activity/ActivityRecorder.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "sessions/DockSnapshotStateFile.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace nimbrel {

namespace {

const QString kLog = QStringLiteral("NimbrelSessionDockManager");

SessionSnapshotFile::Reporting dockSnapshotReporting() {
    return {kLog, QStringLiteral("failed to load original Dock snapshot: "),
            QStringLiteral("Dock Snapshot Load Failed"), QStringLiteral("failed to save original Dock snapshot: "),
            QStringLiteral("Dock Snapshot Failed")};
}

// A Dock snapshot: a JSON array of paths.
std::optional<QStringList> loadDockPaths(SessionSnapshotFile& file, bool* blocked) {
    QStringList paths;
    const auto state = file.load([&paths](const QJsonDocument& document) {
        if (!document.isArray())
            throw json::DecodeError(
                QStringLiteral("Expected to decode an array of paths but found an object instead."));
        const QJsonArray items = document.array();
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (!items[i].isString()) throw json::DecodeError(QStringLiteral("[%1]: expected a string").arg(i));
            paths << items[i].toString();
        }
    });
    if (blocked) *blocked = state == SessionSnapshotFile::State::blocked;
    if (state != SessionSnapshotFile::State::loaded) return std::nullopt;
    return paths;
}

// Only the names earlier versions kept a snapshot aside under: a stored value never leads elsewhere.
bool isStoppedSnapshotName(const QString& name) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral(R"(OriginalDockSnapshot\.json\.unrestored-[0-9]{8}T[0-9]{6}Z(-[0-9]+)?)")));
    return pattern.match(name).hasMatch();
}

} // namespace

DockSnapshotFile::DockSnapshotFile(Platform& platform, DockSnapshotStateFile& state)
    : platform_(platform), state_(state), file_(platform, kFileName, dockSnapshotReporting()),
      // Written only, never read back: it reports no load.
      replaced_(
          platform, kReplacedDockFileName,
          {kLog, {}, {}, QStringLiteral("failed to save replaced Dock: "), QStringLiteral("Dock Set Aside Failed")}) {}

std::optional<QString> DockSnapshotFile::setReplacedDockAside(const QStringList& paths) {
    if (!replaced_.write(QJsonArray::fromStringList(paths))) return std::nullopt;
    return replaced_.moveAside(QStringLiteral("kept"));
}

std::optional<QStringList> DockSnapshotFile::load(bool* blocked) {
    bool stuck = false;
    const std::optional<QStringList> paths = loadDockPaths(file_, &stuck);
    if (blocked) *blocked = stuck;
    if (stuck || !platform_.defaults->contains(kStoppedSnapshotKey)) return paths;
    if (!paths) return takeBackStoppedSnapshot();
    platform_.defaults->remove(kStoppedSnapshotKey); // the snapshot in place is the later one
    return paths;
}

std::optional<QStringList> DockSnapshotFile::takeBackStoppedSnapshot() {
    const std::optional<QString> name = platform_.defaults->stringValue(kStoppedSnapshotKey);
    std::optional<SessionSnapshotFile> kept;
    std::optional<QStringList> paths;
    bool reported = false;
    if (name && isStoppedSnapshotName(*name)) {
        kept.emplace(platform_, *name, dockSnapshotReporting());
        reported = kept->exists(); // one that cannot be read is reported as it is read
        paths = loadDockPaths(*kept, nullptr);
    }
    if (!paths) {
        logLine(kLog, QStringLiteral("no original Dock snapshot is kept aside under the stored name; ignoring it"));
        if (!reported)
            recordNimbrelActivity(
                platform_, NimbrelActivityType::error, QStringLiteral("Dock Snapshot Load Failed"),
                QStringLiteral("The original Dock that an earlier version of Nimbrel kept aside could not be "
                               "found, so it cannot be put back."));
        platform_.defaults->remove(kStoppedSnapshotKey);
        return std::nullopt;
    }
    if (!write(*paths)) return std::nullopt; // taken back at the next load
    // It had been written back and not taken: the Dock showing is Nimbrel's, a change of it the user's.
    DockSnapshotState state = state_.load().value_or(DockSnapshotState());
    state.restoreWritten = true;
    state_.save(state);
    platform_.defaults->remove(kStoppedSnapshotKey);
    kept->remove();
    logLine(kLog, QStringLiteral("took back the original Dock snapshot kept as ") + *name);
    return paths;
}

} // namespace nimbrel
