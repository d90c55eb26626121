#pragma once

#include "model/InstalledApp.h"

namespace nimbrel::testing {

// An installed app as the scan makes it: its id is the bundle identifier, else the path.
inline InstalledApp installedApp(const char* name, const char* bundleId, const char* path) {
    InstalledApp a;
    a.bundleIdentifier = bundleId ? std::optional<QString>(QString::fromUtf8(bundleId)) : std::nullopt;
    a.url = QString::fromUtf8(path);
    a.id = a.bundleIdentifier.value_or(a.url);
    a.name = QString::fromUtf8(name);
    return a;
}

} // namespace nimbrel::testing
