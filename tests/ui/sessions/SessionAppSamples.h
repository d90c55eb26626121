#pragma once

#include "sessions/SessionApp.h"

#include <QStringList>

namespace nimbrel::testing {

inline NimbrelSessionApp sessionApp(const QString& name, const QString& bundle = {}, const QString& path = {}) {
    return NimbrelSessionApp::normalizing(name, bundle.isEmpty() ? std::nullopt : std::optional(bundle),
                                          path.isEmpty() ? std::nullopt : std::optional(path));
}

inline QStringList appNames(const std::vector<NimbrelSessionApp>& apps) {
    QStringList names;
    for (const NimbrelSessionApp& app : apps)
        names << app.displayName;
    return names;
}

inline NimbrelSessionApp safari() {
    return sessionApp("Safari", "com.apple.Safari", "/Applications/Safari.app");
}
inline NimbrelSessionApp mail() {
    return sessionApp("Mail", "com.apple.mail", "/System/Applications/Mail.app");
}
inline NimbrelSessionApp launchpad() {
    return sessionApp("Launchpad", "com.apple.launchpad.launcher", "/System/Applications/Launchpad.app");
}

} // namespace nimbrel::testing
