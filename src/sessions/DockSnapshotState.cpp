#include "sessions/DockSnapshotState.h"

#include "platform/Json.h"
#include "platform/UserDefaults.h"
#include "sessions/DockTiles.h"

#include <QJsonArray>
#include <QVariantMap>

#include <algorithm>

namespace nimbrel {

namespace {
const QString kNimbrelDocks = QStringLiteral("nimbrelDocks");
const QString kRestoreWritten = QStringLiteral("restoreWritten");
const QString kIncomplete = QStringLiteral("incomplete");

std::optional<QStringList> pathList(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantList) return std::nullopt;
    QStringList paths;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() != QMetaType::QString) return std::nullopt;
        paths << item.toString();
    }
    return paths;
}

// The file's form and the preferences' alike.
std::optional<DockSnapshotState> decode(const QVariantMap& stored) {
    const QVariant docks = stored.value(kNimbrelDocks);
    const QVariant restoreWritten = stored.value(kRestoreWritten);
    const QVariant incomplete = stored.value(kIncomplete, false);
    if (docks.typeId() != QMetaType::QVariantList || restoreWritten.typeId() != QMetaType::Bool ||
        incomplete.typeId() != QMetaType::Bool)
        return std::nullopt;
    DockSnapshotState state;
    for (const QVariant& dock : docks.toList()) {
        const std::optional<QStringList> paths = pathList(dock);
        if (!paths) return std::nullopt;
        state.add(*paths);
    }
    state.restoreWritten = restoreWritten.toBool();
    state.incomplete = incomplete.toBool();
    return state;
}
} // namespace

bool DockSnapshotState::names(const QStringList& dock) const {
    return std::any_of(nimbrelDocks.begin(), nimbrelDocks.end(),
                       [&dock](const QStringList& written) { return sameDockPaths(written, dock); });
}

bool DockSnapshotState::isNimbrels(const QStringList& dock) const {
    return names(dock) || std::any_of(sessionDocks.begin(), sessionDocks.end(),
                                      [&dock](const QStringList& session) { return sameDockPaths(session, dock); });
}

void DockSnapshotState::add(const QStringList& dock) {
    if (!names(dock)) nimbrelDocks.push_back(dock);
}

QJsonObject DockSnapshotState::toJson() const {
    QJsonArray docks;
    for (const QStringList& dock : nimbrelDocks)
        docks.append(QJsonArray::fromStringList(dock));
    QJsonObject stored{{kNimbrelDocks, docks}, {kRestoreWritten, restoreWritten}};
    if (incomplete) stored.insert(kIncomplete, true);
    return stored;
}

DockSnapshotState DockSnapshotState::fromJson(const QJsonDocument& document) {
    std::optional<DockSnapshotState> state;
    if (document.isObject()) state = decode(document.object().toVariantMap());
    if (!state)
        throw json::DecodeError(QStringLiteral("Expected {\"nimbrelDocks\": [[path]], \"restoreWritten\": bool}."));
    return *state;
}

bool DockSnapshotState::inPreferences(const UserDefaults& defaults) {
    return defaults.contains(kKey) || defaults.contains(kWrittenSessionDockKey) ||
           defaults.contains(kUnrestoredDockKey);
}

std::optional<DockSnapshotState> DockSnapshotState::fromPreferences(const UserDefaults& defaults) {
    std::optional<DockSnapshotState> state = DockSnapshotState();
    if (defaults.contains(kKey)) state = decode(defaults.dictionaryValue(kKey).value_or(QVariantMap()));
    for (const QString& key : {kWrittenSessionDockKey, kUnrestoredDockKey}) {
        if (!state || !defaults.contains(key)) continue;
        const std::optional<QStringList> dock = pathList(defaults.object(key));
        dock ? state->add(*dock) : state.reset();
    }
    if (state) state->restoreWritten = state->restoreWritten || defaults.contains(kUnrestoredDockKey);
    return state;
}

void DockSnapshotState::removeFromPreferences(UserDefaults& defaults) {
    for (const QString& key : {kKey, kWrittenSessionDockKey, kUnrestoredDockKey})
        if (defaults.contains(key)) defaults.remove(key);
}

} // namespace nimbrel
