#pragma once

#include "sessions/SessionServices.h"
#include "sessions/SessionSnapshotFile.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;
struct NimbrelSessionApp;

// Puts a session's Dock apps in the Dock and, when no session is active, the Dock from
// before: the Dock's "persistent-apps" preference is written and the Dock restarted. The Dock
// from before the first session stays in "OriginalDockSnapshot.json" until a restore of it has
// been seen in the Dock.
class NimbrelSessionDockManager final : public SessionDockControl,
                                        public std::enable_shared_from_this<NimbrelSessionDockManager> {
  public:
    static inline const QString kSnapshotFileName = QStringLiteral("OriginalDockSnapshot.json");
    static constexpr double kKickstartDelay = 0.35;
    static constexpr double kVerificationDelay = 1.5;

    explicit NimbrelSessionDockManager(Platform& platform);

    bool applySessionDock(const NimbrelSession& session) override;
    void restoreOriginalDock() override;

    std::optional<QString> dockPath(const NimbrelSessionApp& app) const;
    QStringList currentDockPaths() const;
    const QString& snapshotPath() const { return snapshot_.path(); }

  private:
    // Whether the Dock may be replaced: false when a snapshot was needed and could not be kept.
    bool captureOriginalSnapshot(const QStringList& sessionPaths);
    std::optional<QStringList> loadOriginalSnapshot(bool* blocked = nullptr);
    // Writes the tiles, restarts the Dock and returns the paths actually written.
    QStringList writePersistentApps(const QStringList& paths, bool finderVisible);
    void restartDock();
    void kickstartDockAgent();
    void verifySessionDockApply(const QStringList& expectedPaths);
    void verifyOriginalDockRestore(const QStringList& expectedPaths);
    void record(bool error, const QString& title, const QString& message) const;

    Platform& platform_;
    SessionSnapshotFile snapshot_;
    bool isApplyingDock_ = false;
    // A snapshot that cannot be written is tried at every apply; the error is recorded once.
    bool snapshotFailureRecorded_ = false;
};

} // namespace nimbrel
