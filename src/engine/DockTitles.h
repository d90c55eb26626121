#pragma once

#include "platform/Workspace.h"

#include <QString>

#include <optional>

namespace nimbrel {

inline const QString kFinderAppKeyFallback = QStringLiteral("com.apple.finder");
inline const QString kTrashKeySuffix = QStringLiteral("#Trash");

// The Dock's Trash tile, or a Finder window showing the Trash, told by its title.
bool isTrashDockTitle(const QString& title);
// Tiles that stand for no application (the app gallery, Launchpad).
bool isNonApplicationDockItem(const QString& title);
// The application's bundle identifier, else its bundle path, else none.
std::optional<QString> appKeyFor(const RunningApplication& app);
// A tile's app is found by its name, its bundle's file name or the bundle id's last part.
bool applicationMatchesDockTitle(const RunningApplication& app, const QString& normalizedTitle);

} // namespace nimbrel
