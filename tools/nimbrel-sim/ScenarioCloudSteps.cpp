// The timeline's steps that change what syncs between Macs, as the screens change it, and the
// cloud under the Mac; and what each Mac holds of what syncs.
#include "ScenarioDesktop.h"
#include "ScenarioRun.h"

#include "model/BlacklistStore.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/SharedInstance.h"
#include "sessions/SessionsStore.h"
#include "sync/CloudSyncManager.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace nimbrel::simtool {

namespace {

QString describe(const NimbrelCloudSyncState& state) {
    switch (state.kind) {
    case NimbrelCloudSyncState::Kind::failed:
        return QStringLiteral("failed (") + state.errorMessage + QLatin1Char(')');
    case NimbrelCloudSyncState::Kind::idle:
        return QStringLiteral("idle");
    case NimbrelCloudSyncState::Kind::syncing:
        return QStringLiteral("syncing");
    case NimbrelCloudSyncState::Kind::offline:
        return QStringLiteral("offline");
    case NimbrelCloudSyncState::Kind::disabled:
        return QStringLiteral("disabled");
    }
    return {};
}

} // namespace

QStringList ScenarioRun::syncedState() {
    if (!program_->isRunning()) return {QStringLiteral("(not running)")};
    QStringList rules, sessions;
    for (const NimbrelRule& rule : NimbrelRulesStore::shared().rules().get())
        rules << rule.name + (rule.isEnabled ? QString() : QStringLiteral(" (off)"));
    for (const NimbrelSession& session : NimbrelSessionsStore::shared().sessions().get())
        sessions << session.name;
    // The blacklist store comes into being with its screen (or a sync now); until then the
    // stored list is what this Mac holds.
    const QStringList blacklist = hasSharedInstance<BlacklistStore>()
                                      ? BlacklistStore::sortedKeys(BlacklistStore::shared().blacklistedAppKeys().get())
                                      : defaults_.stringArrayValue(BlacklistStore::defaultsKey).value_or(QStringList());
    NimbrelSettingsStore& settings = NimbrelSettingsStore::shared();
    const NimbrelCloudSyncManager& sync = NimbrelCloudSyncManager::shared();
    const std::optional<Date> last = sync.lastSuccessfulSyncAt.get();
    return {
        QStringLiteral("rules: ") + rules.join(QStringLiteral(", ")),
        QStringLiteral("sessions: ") + sessions.join(QStringLiteral(", ")),
        QStringLiteral("blacklist: ") + blacklist.join(QStringLiteral(", ")),
        QStringLiteral("behavior mode: ") + rawValue(settings.behaviorMode().get()),
        QStringLiteral("sync: ") + describe(sync.syncState.get()) +
            (last ? QStringLiteral(", last at %1 s").arg(last->secondsSince(start_), 0, 'f', 3) : QString()),
    };
}

bool runCloudStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    static const QStringList kSteps{"blacklist", "behaviorMode", "syncNow", "cloud", "showSynced"};
    if (!kSteps.contains(what)) return false;
    if (what == QLatin1String("cloud")) {
        QJsonObject conditions = step;
        for (const char* key : {"do", "mac", "at"})
            conditions.remove(QLatin1String(key));
        run.step(QStringLiteral("cloud ") +
                 QString::fromUtf8(QJsonDocument(conditions).toJson(QJsonDocument::Compact)));
        for (const QString& problem : applyCloudConditions(run.sim().cloud().conditions(), step))
            run.error(problem);
        return true;
    }
    if (!run.program().isRunning()) {
        run.error(QStringLiteral("%1: the program is not running").arg(what));
        return true;
    }
    if (what == QLatin1String("blacklist")) {
        std::set<QString> keys;
        for (const QJsonValue& key : step.value(QStringLiteral("apps")).toArray())
            keys.insert(key.toString());
        run.step(QStringLiteral("blacklist ") + QStringList(keys.begin(), keys.end()).join(QStringLiteral(", ")));
        // What the blacklist screen does after each change.
        BlacklistStore& store = BlacklistStore::shared();
        store.setBlacklistedAppKeys(std::move(keys));
        store.save();
        store.pushToCloud();
    } else if (what == QLatin1String("behaviorMode")) {
        const QString mode = step.value(QStringLiteral("mode")).toString();
        run.step(QStringLiteral("behavior mode ") + mode);
        const std::optional<NimbrelBehaviorMode> parsed = behaviorModeFromRaw(mode);
        if (!parsed)
            run.error(QStringLiteral("unknown behavior mode \"%1\"").arg(mode));
        else
            NimbrelSettingsStore::shared().setBehaviorMode(*parsed);
    } else if (what == QLatin1String("syncNow")) {
        // The activity screen's sync button, which waits for the sync to end.
        run.step(QStringLiteral("sync now"));
        NimbrelCloudSyncManager::shared().syncNow(
            [&run] { run.print(QStringLiteral("sync"), QStringLiteral("sync now ended")); });
    } else {
        run.step(QStringLiteral("show synced"));
        QStringList lines = run.syncedState();
        // "devices": also the device list and what the cloud holds of the devices.
        if (step.value(QStringLiteral("devices")).toBool()) lines << deviceLines(run, run.start());
        for (const QString& line : lines)
            run.print(QStringLiteral("synced"), line);
    }
    return true;
}

} // namespace nimbrel::simtool
