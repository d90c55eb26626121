#include "sessions/SessionsCloudSync.h"

#include "activity/ActivityRecorder.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"
#include "sync/CloudCopyOrder.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudPendingChanges.h"
#include "sync/CloudPullMerge.h"
#include "sync/CloudSyncManager.h"
#include "sync/CloudUnsentChanges.h"
#include "sync/DeviceIdentity.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace nimbrel {

namespace {

// A session's content for telling two copies apart: its JSON without the ids of its apps and
// pictures, which a payload in an older form gets anew at every decoding and which name
// nothing across saves.
QByteArray contentOf(const NimbrelSession& session) {
    QJsonObject object = encodeSession(session);
    for (const QString& key :
         {QStringLiteral("allowedApps"), QStringLiteral("whitelistedApps"), QStringLiteral("wallpaperSelections")}) {
        QJsonArray apps = object.value(key).toArray();
        for (auto app = apps.begin(); app != apps.end(); ++app) {
            QJsonObject o = app->toObject();
            o.remove(QStringLiteral("id"));
            *app = o;
        }
        object.insert(key, apps);
    }
    return encodeCloudJSON(object);
}

} // namespace

// What the triggers reach, weakly: the work of the cloud side.
struct SessionsCloudSync::Core : std::enable_shared_from_this<Core> {
    Platform& platform;
    std::weak_ptr<NimbrelSessionsStore> store;
    StoreSyncLinks links;

    Core(Platform& p, std::weak_ptr<NimbrelSessionsStore> s, StoreSyncLinks l)
        : platform(p), store(std::move(s)), links(std::move(l)) {}

    bool gateIsOpen() const { return links.isSyncEnabled() && !isGlobalPauseActive(*platform.defaults); }
    CloudPendingChanges pendingDeletions() const { return {*platform.defaults, pendingDeletionsKey}; }
    CloudUnsentChanges unsentChanges() const {
        return {*platform.defaults, unsentChangesKey, links.syncManager(), NimbrelCloudPayloadType::session};
    }
    Date now() const { return platform.clock->now(); }
    void later(std::function<void()> work) { platform.scheduler->post(std::move(work)); }

    void pushPayload(const NimbrelSession& session) {
        const auto finite = [](Date d) { return std::isfinite(d.secondsSinceReferenceDate); };
        if (!finite(session.createdAt) || !finite(session.updatedAt)) {
            recordNimbrelActivity(
                platform, NimbrelActivityType::error, QStringLiteral("Session Sync Encoding Failed"),
                QStringLiteral("The session \"%1\" holds a date that cannot be written.").arg(session.name));
            return;
        }
        NimbrelCloudPayloadRecord record;
        record.objectID = session.id.toString();
        record.payloadType = NimbrelCloudPayloadType::session;
        record.payload = NimbrelCloudPayloadRecord::makeJSONEncoder().encode(encodeSession(session));
        record.sourceDeviceID = NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(platform);
        record.createdAt = session.createdAt;
        record.updatedAt = session.updatedAt;
        record.schemaVersion = 1;
        links.syncManager().savePayloadRecord(record);
    }

    void pushTombstone(const QString& objectID, Date deletedAt) {
        NimbrelCloudTombstone tombstone{objectID, NimbrelCloudPayloadType::session,
                                        NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(platform), deletedAt, 1};
        std::weak_ptr<Core> weak = weak_from_this();
        links.syncManager().saveTombstone(tombstone, [weak, objectID](SaveOutcome outcome) {
            if (auto core = weak.lock(); core && outcome == SaveOutcome::saved)
                core->pendingDeletions().remove(objectID);
        });
    }

    // Steps 2 and 3 of the pull: fetch both lists, then merge; deletions and changes that did
    // not reach the cloud before go first, as they are now (a change made since while sync could
    // not run is never sent, and the waiting one gives way to it).
    void fetchAndApply(std::function<void()> done) {
        for (const auto& [id, deletedAt] : pendingDeletions().entries())
            pushTombstone(id, deletedAt);
        links.syncManager().retryPendingPushes(
            NimbrelCloudPayloadType::session, [this](const QString& id, Date marked) {
                auto held = store.lock();
                if (!held) return true; // the store is going: nothing is known of its sessions
                const auto& sessions = held->sessions().get();
                auto it = std::find_if(sessions.begin(), sessions.end(),
                                       [&](const NimbrelSession& s) { return s.id.toString() == id; });
                if (it == sessions.end() || unsentChanges().madeWhileOff(id)) return false;
                // The sessions file keeps whole seconds: the mark tells when in its second the change was made.
                NimbrelSession resent = *it;
                resent.updatedAt = resendDate(it->updatedAt, marked);
                pushPayload(resent);
                return true;
            });
        // A pull whose fetches did not both succeed leaves the list as it is.
        links.syncManager().fetchPayloadsAndTombstones(
            NimbrelCloudPayloadType::session,
            [self = shared_from_this(), done](const std::optional<CloudPull>& pulled) {
                if (pulled) self->apply(*pulled);
                if (done) done();
            },
            mergedRecords);
    }

    void pull(std::function<void()> done) {
        if (!gateIsOpen())
            return later([done] {
                if (done) done();
            });
        fetchAndApply(std::move(done));
    }

    void pullIfEnabled() {
        if (!gateIsOpen()) return;
        later([self = shared_from_this()] { self->fetchAndApply({}); });
    }

    void apply(const CloudPull& pull);

    // What a sync registry written anew must list of the sessions.
    CloudHeldIDs heldIDs() const {
        CloudHeldIDs held;
        if (auto s = store.lock())
            for (const NimbrelSession& session : s->sessions().get())
                held.objects << session.id.toString();
        for (const auto& [id, deletedAt] : pendingDeletions().entries())
            held.deletions << id;
        return held;
    }

    // The cloud records merged so far, so that a pull does not decode an unchanged one again.
    CloudMergeMemory mergedRecords;
};

SessionsCloudSync::SessionsCloudSync(Platform& platform, std::weak_ptr<NimbrelSessionsStore> store,
                                     StoreSyncLinks links)
    : core_(std::make_shared<Core>(platform, std::move(store), std::move(links))) {}

SessionsCloudSync::~SessionsCloudSync() = default;

void SessionsCloudSync::pullFromCloudIfEnabled() {
    core_->pullIfEnabled();
}

void SessionsCloudSync::pullFromCloud(std::function<void()> done) {
    core_->pull(std::move(done));
}

void SessionsCloudSync::observeCloudKitAvailability() {
    // The availability observer, the 60 s timer and the sync-now step come as one.
    core_->links.syncManager().setHeldIDs(NimbrelCloudPayloadType::session, [weak = std::weak_ptr<Core>(core_)] {
        auto core = weak.lock();
        return core ? core->heldIDs() : CloudHeldIDs{};
    });
    pulls_.start<Core>(
        core_, core_->platform, [](Core& core) { core.pullIfEnabled(); },
        [](Core& core, CloudStoreLifecycle::Done done) { core.pull(std::move(done)); }, &core_->links.syncManager(),
        SyncNowSlot::sessions);
}

void SessionsCloudSync::startCloudSyncTimer() {
    // Started with the availability observer.
}

void SessionsCloudSync::pushSessionPayload(const NimbrelSession& session) {
    // Not sent, now or later, and kept over the cloud's copy of the same second.
    if (!core_->gateIsOpen()) return core_->unsentChanges().madeWhileOff(session.id.toString(), session.updatedAt);
    core_->unsentChanges().forget(session.id.toString());
    // Handed in at once: the sync manager marks the change as waiting in the turn it is made, so a
    // quit before its push goes out does not lose it.
    core_->pushPayload(session);
}

void SessionsCloudSync::pushSessionTombstone(const Uuid& id) {
    const QString objectID = id.toString();
    const Date deletedAt = core_->now();
    core_->pendingDeletions().add(objectID, deletedAt);
    core_->unsentChanges().forgetObject(objectID);
    if (!core_->gateIsOpen()) return; // goes out with the next pull that passes the gate
    core_->later([weak = std::weak_ptr<Core>(core_), objectID, deletedAt] {
        if (auto core = weak.lock()) core->pushTombstone(objectID, deletedAt);
    });
}

void SessionsCloudSync::applyCloudSessionsPayload(const std::vector<NimbrelCloudPayloadRecord>& records,
                                                  const std::vector<NimbrelCloudTombstone>& tombstones) {
    core_->apply(CloudPull{records, tombstones, {}, {}, {}, {}});
}

void SessionsCloudSync::Core::apply(const CloudPull& pull) {
    auto held = store.lock();
    if (!held) return;
    CloudMergeCoding<NimbrelSession> coding;
    coding.platform = &platform;
    coding.decodeFailedTitle = QStringLiteral("Session Decode Failed");
    coding.component = QStringLiteral("NimbrelSessionsStore");
    coding.decode = [](const NimbrelCloudPayloadRecord& record) {
        // A payload without its dates takes its record's, which stay the same from pull to pull,
        // so an unchanged cloud copy never looks newer than the one held here.
        json::Decoded<NimbrelSession> decoded = decodeSessionData(record.payload, record.updatedAt);
        // The record names the session; a payload without an id would otherwise come back under
        // a new random id at every pull.
        if (decoded)
            if (auto id = Uuid::parse(record.objectID)) decoded.value->id = *id;
        return decoded;
    };
    coding.differs = [](const NimbrelSession& pulled, const NimbrelSession& kept) {
        return contentOf(pulled) != contentOf(kept);
    };
    coding.unsentChange = [unsent = unsentChanges()](const NimbrelSession& kept) {
        return unsent.unsentChange(kept.id.toString(), kept.updatedAt);
    };
    coding.sourceOf = links.syncManager().copySourceTest();
    const std::vector<NimbrelSession>& sessions = held->sessions().get();
    CloudMergeChanges<NimbrelSession> changes =
        mergeCloudChanges(sessions, pull, deletedObjectIDs(pull, pendingDeletions().entries()), mergedRecords, coding);
    if (changes.empty()) return;
    forgetChangesOfLostCopies(unsentChanges(), sessions, changes);
    const std::optional<QString> message =
        changes.syncedMessage(QStringLiteral("Sessions were updated from another device."),
                              QStringLiteral("Sessions were updated from iCloud."));
    held->replaceSessionsFromCloud(std::move(changes).appliedTo(sessions));
    if (message)
        recordNimbrelActivity(platform, NimbrelActivityType::session, QStringLiteral("Sessions Synced From iCloud"),
                              *message);
}

} // namespace nimbrel
