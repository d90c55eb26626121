#pragma once

#include "model/CloudStoreLifecycle.h"
#include "model/StoreSyncLinks.h"
#include "sessions/SessionServices.h"

#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
struct NimbrelSession;
struct NimbrelCloudPayloadRecord;
struct NimbrelCloudTombstone;
class NimbrelSessionsStore;

// The sessions store's side of cloud sync: every added or changed session goes out as a payload
// record, every deleted one as a tombstone, and the store pulls all session records and
// tombstones at its creation, when the account becomes available, every 60 s and at sync now,
// merging them into its list. Pushes and pulls pass the gate: sync on and no global pause.
// A deletion is remembered until its tombstone is in the cloud, so no pull brings it back; a
// change the gate held back, so that the cloud's copy of the same second does not replace it.
class SessionsCloudSync final : public SessionsCloudSide {
  public:
    // Sessions deleted here whose tombstones have not reached the cloud yet: {id: deletion date}.
    static inline const QString pendingDeletionsKey = QStringLiteral("Nimbrel.sessions.pendingDeletions");
    // Sessions changed while the gate was closed, never sent: {id: date of the change}.
    static inline const QString unsentChangesKey = QStringLiteral("Nimbrel.sessions.unsentChanges");

    SessionsCloudSync(Platform& platform, std::weak_ptr<NimbrelSessionsStore> store, StoreSyncLinks links);
    ~SessionsCloudSync() override;

    void pullFromCloudIfEnabled() override;
    void observeCloudKitAvailability() override;
    void startCloudSyncTimer() override;
    void pushSessionPayload(const NimbrelSession& session) override;
    void pushSessionTombstone(const Uuid& id) override;

    // The pull: `done` runs when it has finished or was skipped.
    void pullFromCloud(std::function<void()> done = {});
    // The merge of what was pulled into the store's list.
    void applyCloudSessionsPayload(const std::vector<NimbrelCloudPayloadRecord>& records,
                                   const std::vector<NimbrelCloudTombstone>& tombstones);

  private:
    struct Core;
    std::shared_ptr<Core> core_;
    CloudStoreLifecycle pulls_;
};

} // namespace nimbrel
