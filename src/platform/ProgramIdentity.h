#pragma once

#include <QString>

namespace nimbrel {

// The program's identity on the Mac: its bundle identifier (the engine leaves its own Dock tile
// alone) and the one CloudKit container the signed program is entitled to.
inline const QString kNimbrelBundleIdentifier = QStringLiteral("com.nimbrel.app");
inline const QString kNimbrelCloudKitContainerIdentifier = QStringLiteral("iCloud.com.nimbrel.app");

} // namespace nimbrel
