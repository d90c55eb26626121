#pragma once

#include "ui/sessions/SessionEditorState.h"
#include "ui/sessions/SessionTones.h"

#include <QString>

#include <vector>

// The editor's Dock apps card: the picker of apps, the Dock order and its moves. Finder is
// always the first Dock app; attempts to remove or move it are refused (the caller beeps).
namespace nimbrel {

// The picker's rows: Finder and Launchpad, then the catalogue (already converted), in the
// Dock's normal form, filtered by the search text, sorted by name (stable).
std::vector<NimbrelSessionApp> pickerApps(const SessionEditorState& state,
                                          const std::vector<NimbrelSessionApp>& defaultDockApps,
                                          const std::vector<NimbrelSessionApp>& catalogue);

bool canMoveDockApp(const SessionEditorState& state, const NimbrelSessionApp& app, int offset);
// Returns whether the app moved.
bool moveDockApp(SessionEditorState& state, const NimbrelSessionApp& app, int offset);

enum class DockToggleResult { added, removed, refused };
// Adds the app as the last Dock app or removes it; refuses Finder.
DockToggleResult toggleDockApp(SessionEditorState& state, const NimbrelSessionApp& app);

// "2 selected".
QString dockAppsCountText(std::size_t count);

SessionRowLook dockPickerRowLook(const NimbrelSessionApp& app, bool isSelected, bool isHovering);

SessionRowLook dockOrderRowLook(bool isFinder, bool isHovering);

} // namespace nimbrel
