#pragma once

#include "platform/Screens.h"
#include "sessions/SessionServices.h"
#include "sessions/SessionSnapshotFile.h"

#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;
struct NimbrelSessionWallpaperSelection;

// Sets a session's wallpapers as the desktop pictures and, when no session is active, puts
// back the pictures from before, kept per screen in "OriginalWallpaperSnapshot.json". Whether a
// session's pictures are showing is remembered (in the preferences, so across a restart), so
// that they are never kept as the pictures from before and a lost snapshot is noticed.
class NimbrelSessionWallpaperManager final : public SessionWallpaperControl {
  public:
    static inline const QString kSnapshotFileName = QStringLiteral("OriginalWallpaperSnapshot.json");
    // True from the first picture set for a session until the pictures from before are back.
    static inline const QString kSessionPicturesShownKey = QStringLiteral("Nimbrel.sessions.sessionPicturesShown");

    // One screen's picture from before: its position in the screen list and the picture's path.
    // After a restore that could not set it, also the picture the screen showed then: a screen
    // that shows another one later was changed by the user, whose picture is never replaced.
    struct WallpaperSnapshot {
        qint64 screenIndex = 0;
        QString wallpaperPath;
        std::optional<QString> shownWhenRestoreFailed = std::nullopt;
        friend bool operator==(const WallpaperSnapshot&, const WallpaperSnapshot&) = default;
    };

    explicit NimbrelSessionWallpaperManager(Platform& platform);

    bool applySessionWallpapers(const NimbrelSession& session) override;
    void restoreOriginalWallpapers() override;
    bool usersCopyIsLost() override;

    std::optional<std::vector<WallpaperSnapshot>> loadOriginalSnapshot(bool* blocked = nullptr);
    const QString& snapshotPath() const { return snapshot_.path(); }

  private:
    // Whether the pictures may be changed: false when a snapshot was needed and could not be kept.
    bool captureOriginalSnapshot();
    // The screens a restore could not set, kept with what they showed; the rest are back.
    // `anyUsers`: a screen was left as the user changed it; `anySet`: a picture was put back.
    std::vector<WallpaperSnapshot> leftAfterRestore(const std::vector<WallpaperSnapshot>& snapshot, bool* anyUsers,
                                                    bool* anySet);
    bool writeSnapshot(const std::vector<WallpaperSnapshot>& entries);
    std::optional<QString> picturePath(const ScreenInfo& screen) const;
    bool setWallpaper(const QString& fileURL, const ScreenInfo& screen);
    // Sets one selection's picture on the screens it targets; whether any was set.
    bool setSelection(const NimbrelSessionWallpaperSelection& selection, const std::vector<ScreenInfo>& screens);
    bool sessionPicturesShown() const;
    void forgetSessionPictures();

    Platform& platform_;
    SessionSnapshotFile snapshot_;
};

} // namespace nimbrel
