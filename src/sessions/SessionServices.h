#pragma once

#include "platform/Uuid.h"

#include <vector>

// What the sessions store hands its work to: the Dock, the desktop pictures, the reminders and
// the cloud. Each is a small interface so that the store never changes when one of them does;
// tests stand in for any of them.
namespace nimbrel {

struct NimbrelSession;

class SessionDockControl {
  public:
    virtual ~SessionDockControl() = default;
    // False when the Dock was left as it is because the user's own could not be kept safe
    // (its snapshot could not be written): the store tries again at its next tick.
    virtual bool applySessionDock(const NimbrelSession& session) = 0;
    // What the restore asked next will leave: the user's Dock (written back, or showing
    // already); a session's Dock whose saved copy of the user's is gone (removed or unreadable);
    // or the Dock left as it is (it cannot be read while a restore waits or after its copy went,
    // the copy is stuck where it cannot be read, or the Dock cannot be told from an arrangement
    // of the user's). Whatever must be on disk before that restore writes the Dock is written
    // here: a restore that cannot be made safe leaves the Dock alone.
    enum class Restore { usersDock, copyLost, leftAlone };
    virtual Restore prepareRestore() { return Restore::usersDock; }
    // Carries out what `prepareRestore` prepared, or prepares and carries it out.
    virtual void restoreOriginalDock() = 0;
};

class SessionWallpaperControl {
  public:
    virtual ~SessionWallpaperControl() = default;
    // False when the pictures were left as they are, as for the Dock.
    virtual bool applySessionWallpapers(const NimbrelSession& session) = 0;
    virtual void restoreOriginalWallpapers() = 0;
    // As for the Dock: a session's pictures are showing and the saved copy of the user's is gone.
    virtual bool usersCopyIsLost() { return false; }
};

class SessionReminderControl {
  public:
    virtual ~SessionReminderControl() = default;
    // Asks for the permission to notify and replaces every pending reminder by those of `sessions`.
    virtual void refreshReminders(const std::vector<NimbrelSession>& sessions) = 0;
};

// The store's side of cloud sync. The store calls these at creation and after each local
// change; the cloud side applies its own gate (sync setting, global pause) and hands what it
// merged back through `NimbrelSessionsStore::replaceSessionsFromCloud`.
class SessionsCloudSide {
  public:
    virtual ~SessionsCloudSide() = default;
    // At creation: a first pull when sync may run.
    virtual void pullFromCloudIfEnabled() = 0;
    // At the end of creation: pulls when CloudKit becomes available, and every 60 s.
    virtual void observeCloudKitAvailability() = 0;
    virtual void startCloudSyncTimer() = 0;
    // A session the user added or changed, and the id of one the user deleted.
    virtual void pushSessionPayload(const NimbrelSession& session) = 0;
    virtual void pushSessionTombstone(const Uuid& id) = 0;
};

// Stand-ins that do nothing: a store without a Dock, pictures, reminders or cloud.
class NoSessionDock final : public SessionDockControl {
  public:
    bool applySessionDock(const NimbrelSession&) override { return true; }
    void restoreOriginalDock() override {}
};
class NoSessionWallpapers final : public SessionWallpaperControl {
  public:
    bool applySessionWallpapers(const NimbrelSession&) override { return true; }
    void restoreOriginalWallpapers() override {}
};
class NoSessionReminders final : public SessionReminderControl {
  public:
    void refreshReminders(const std::vector<NimbrelSession>&) override {}
};
class NoSessionsCloud final : public SessionsCloudSide {
  public:
    void pullFromCloudIfEnabled() override {}
    void observeCloudKitAvailability() override {}
    void startCloudSyncTimer() override {}
    void pushSessionPayload(const NimbrelSession&) override {}
    void pushSessionTombstone(const Uuid&) override {}
};

} // namespace nimbrel
