#include "app/GlassStyle.h"

#include "app/ShellNames.h"

namespace nimbrel {

GlassStyle::GlassStyle(NotificationCenter& notifications, std::function<bool()> settingCheck,
                       std::function<int()> systemMajorVersion, QObject* parent)
    : QObject(parent), settingCheck_(std::move(settingCheck)), systemMajorVersion_(std::move(systemMajorVersion)) {
    enabled_ = settingCheck_();
    designModeObserver_ =
        notifications.addObserver(shell::kDesignModeDidChange, [this](const Notification&) { refresh(); });
}

void GlassStyle::refresh() {
    const bool now = settingCheck_();
    if (now == enabled_) return;
    enabled_ = now;
    emit changed();
}

} // namespace nimbrel
