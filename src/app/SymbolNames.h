#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

// The resource file drawing a system symbol name, nothing for a name the program has no icon for.
std::optional<QString> symbolIconFile(const QString& symbolName);
// The resource file of one of the program's own image assets.
std::optional<QString> assetIconFile(const QString& assetName);
// The colour an asset is drawn in: assets keep their own colours, they are never tinted.
std::optional<QString> assetIconColor(const QString& assetName);

} // namespace nimbrel
