#pragma once

#include "platform/Screens.h"
#include "sessions/SessionServices.h"
#include "sessions/SessionSnapshotFile.h"

#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;

// Sets a session's wallpapers as the desktop pictures and, when no session is active, puts
// back the pictures from before, kept per screen in "OriginalWallpaperSnapshot.json".
class NimbrelSessionWallpaperManager final : public SessionWallpaperControl {
  public:
    static inline const QString kSnapshotFileName = QStringLiteral("OriginalWallpaperSnapshot.json");

    // One screen's picture from before: its position in the screen list and the picture's path.
    struct WallpaperSnapshot {
        qint64 screenIndex = 0;
        QString wallpaperPath;
        friend bool operator==(const WallpaperSnapshot&, const WallpaperSnapshot&) = default;
    };

    explicit NimbrelSessionWallpaperManager(Platform& platform);

    bool applySessionWallpapers(const NimbrelSession& session) override;
    void restoreOriginalWallpapers() override;

    std::optional<std::vector<WallpaperSnapshot>> loadOriginalSnapshot(bool* blocked = nullptr);
    const QString& snapshotPath() const { return snapshot_.path(); }

  private:
    // Whether the pictures may be changed: false when a snapshot was needed and could not be kept.
    bool captureOriginalSnapshot();
    bool setWallpaper(const QString& fileURL, const ScreenInfo& screen);

    Platform& platform_;
    SessionSnapshotFile snapshot_;
};

} // namespace nimbrel
