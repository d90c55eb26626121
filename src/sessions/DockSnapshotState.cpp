#include "sessions/DockSnapshotState.h"

#include "platform/UserDefaults.h"
#include "sessions/DockTiles.h"

#include <QVariantMap>

#include <algorithm>

namespace nimbrel {

namespace {
const QString kNimbrelDocks = QStringLiteral("nimbrelDocks");
const QString kRestoreWritten = QStringLiteral("restoreWritten");
} // namespace

bool DockSnapshotState::isNimbrels(const QStringList& dock) const {
    return std::any_of(nimbrelDocks.begin(), nimbrelDocks.end(),
                       [&dock](const QStringList& written) { return sameDockPaths(written, dock); });
}

void DockSnapshotState::add(const QStringList& dock) {
    if (!isNimbrels(dock)) nimbrelDocks.push_back(dock);
}

DockSnapshotState DockSnapshotState::load(UserDefaults& defaults) {
    DockSnapshotState state;
    const QVariantMap stored = defaults.dictionaryValue(kKey).value_or(QVariantMap());
    for (const QVariant& dock : stored.value(kNimbrelDocks).toList()) {
        const QVariantList items = dock.toList();
        QStringList paths;
        for (const QVariant& item : items)
            if (item.typeId() == QMetaType::QString) paths << item.toString();
        if (paths.size() == items.size()) state.add(paths);
    }
    const QVariant restoreWritten = stored.value(kRestoreWritten);
    state.restoreWritten = restoreWritten.typeId() == QMetaType::Bool && restoreWritten.toBool();
    const bool unrestored = defaults.contains(kUnrestoredDockKey);
    if (!unrestored && !defaults.contains(kWrittenSessionDockKey)) return state;
    for (const QString& key : {kWrittenSessionDockKey, kUnrestoredDockKey}) {
        if (const std::optional<QStringList> dock = defaults.stringArrayValue(key)) state.add(*dock);
        if (defaults.contains(key)) defaults.remove(key);
    }
    state.restoreWritten = state.restoreWritten || unrestored;
    state.save(defaults);
    return state;
}

void DockSnapshotState::save(UserDefaults& defaults) const {
    if (nimbrelDocks.empty() && !restoreWritten) {
        if (defaults.contains(kKey)) defaults.remove(kKey);
        return;
    }
    QVariantList docks;
    for (const QStringList& dock : nimbrelDocks)
        docks << QVariant(QVariantList(dock.begin(), dock.end()));
    defaults.set(kKey, QVariantMap{{kNimbrelDocks, docks}, {kRestoreWritten, restoreWritten}});
}

} // namespace nimbrel
