#include "app/GlassStyle.h"

#include "app/ShellNames.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

bool isLiquidGlassActive(const UserDefaults& defaults, int systemMajorVersion) {
    if (defaults.boolValue(shell::kLiquidGlassEnabled) == false) return false;
    return systemMajorVersion >= 26;
}

GlassStyle::GlassStyle(NotificationCenter& notifications, const UserDefaults& defaults,
                       std::function<int()> systemMajorVersion, QObject* parent)
    : QObject(parent), defaults_(defaults), systemMajorVersion_(std::move(systemMajorVersion)) {
    enabled_ = isLiquidGlassActive(defaults_, systemMajorVersion_());
    designModeObserver_ = notifications.addObserver(shell::kDesignModeDidChange, [this](const Notification&) { refresh(); });
}

void GlassStyle::refresh() {
    const bool now = isLiquidGlassActive(defaults_, systemMajorVersion_());
    if (now == enabled_) return;
    enabled_ = now;
    emit changed();
}

} // namespace nimbrel
