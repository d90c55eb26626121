#pragma once

#include "ui/sessions/SessionEditorState.h"

#include <QString>

#include <vector>

// The editor's wallpaper card: one row for all displays or one per connected display, each
// with the chosen picture's file name.
namespace nimbrel {

struct SessionWallpaperRow {
    QString title; // "All Displays", "Display 1", ...
    NimbrelSessionDisplayTarget target;
    QString subtitle;    // the chosen file's name, or "No wallpaper selected"
    QString buttonTitle; // "Import" or "Change"
};

// The rows for the switch's mode: `screenCount` is the number of screens connected now.
std::vector<SessionWallpaperRow> sessionWallpaperRows(const SessionEditorState& state, int screenCount);
QString sessionWallpaperDescription(bool syncWallpapersAcrossDisplays);

// Stores a picture chosen for a row: for all displays while the switch is on, else for the
// row's display; it replaces any earlier choice for that target and goes to the end.
void storeChosenWallpaper(SessionEditorState& state, const NimbrelSessionDisplayTarget& rowTarget, const QString& path);

} // namespace nimbrel
