#pragma once

#include "model/RuleTargets.h"

#include <QString>

#include <optional>
#include <vector>

namespace nimbrel {

// The folder of a folder action as the editor offers it: seven standard folders, or one chosen
// in an open panel. Raw values are the case names; `allCases` is the menu order.
enum class FolderChoice { desktop, documents, downloads, applications, userLibrary, home, iCloudDrive, custom };

namespace folderChoice {

std::vector<FolderChoice> allCases();
QString rawValue(FolderChoice choice);
// The seven standard folders' targets, in menu order (paths with "~" as stored).
const std::vector<NimbrelFolderTarget>& standardFolders();
// The choice a stored folder target reads as: a standard one only when both its name and path
// are exactly that folder's, else custom.
FolderChoice fromFolderTarget(const NimbrelFolderTarget& target);
// The target a choice saves: the standard folder, or the custom folder (Desktop while none).
NimbrelFolderTarget folderTarget(FolderChoice choice, const std::optional<NimbrelFolderTarget>& custom);
// The menu and row text: the folder's name; for custom the chosen folder's name, or
// "Custom Folder…" while none is chosen.
QString menuTitle(FolderChoice choice, const std::optional<NimbrelFolderTarget>& custom);

} // namespace folderChoice
} // namespace nimbrel
