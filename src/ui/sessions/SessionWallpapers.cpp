#include "ui/sessions/SessionWallpapers.h"

#include <QFileInfo>

#include <algorithm>

namespace nimbrel {

namespace {

SessionWallpaperRow rowFor(const SessionEditorState& state, const QString& title,
                           const NimbrelSessionDisplayTarget& target) {
    const auto chosen = std::find_if(
        state.wallpaperSelections.begin(), state.wallpaperSelections.end(),
        [&](const NimbrelSessionWallpaperSelection& selection) { return selection.displayTarget == target; });
    const bool found = chosen != state.wallpaperSelections.end();
    return {title, target, found ? chosen->displayName : QStringLiteral("No wallpaper selected"),
            found ? QStringLiteral("Change") : QStringLiteral("Import")};
}

} // namespace

std::vector<SessionWallpaperRow> sessionWallpaperRows(const SessionEditorState& state, int screenCount) {
    if (state.syncWallpapersAcrossDisplays)
        return {rowFor(state, QStringLiteral("All Displays"), NimbrelSessionDisplayTarget::automatic())};
    std::vector<SessionWallpaperRow> rows;
    for (int index = 0; index < screenCount; ++index)
        rows.push_back(rowFor(state, QStringLiteral("Display ") + QString::number(index + 1),
                              NimbrelSessionDisplayTarget::screen(index)));
    return rows;
}

QString sessionWallpaperDescription(bool syncWallpapersAcrossDisplays) {
    return syncWallpapersAcrossDisplays ? QStringLiteral("Use one wallpaper for every connected display.")
                                        : QStringLiteral("Choose a different wallpaper for each display.");
}

void storeChosenWallpaper(SessionEditorState& state, const NimbrelSessionDisplayTarget& rowTarget,
                          const QString& path) {
    const NimbrelSessionDisplayTarget target =
        state.syncWallpapersAcrossDisplays ? NimbrelSessionDisplayTarget::automatic() : rowTarget;
    std::erase_if(state.wallpaperSelections,
                  [&](const NimbrelSessionWallpaperSelection& selection) { return selection.displayTarget == target; });
    state.wallpaperSelections.push_back({Uuid::random(), QFileInfo(path).fileName(), path, target});
}

} // namespace nimbrel
