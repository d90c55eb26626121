#pragma once

#include <QString>

namespace nimbrel::sim {

// Writes the Mac's own picture of the app `bundleIdentifier`, where it has one, as the icon file
// that the bundle's Info.plist names; a bundle that has that file already keeps it (a picture
// placed there stays).
void writeAppPicture(const QString& realBundlePath, const QString& bundleIdentifier);

} // namespace nimbrel::sim
