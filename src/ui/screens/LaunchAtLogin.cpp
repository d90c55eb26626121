#include "ui/screens/LaunchAtLogin.h"

#include "activity/ActivityRecorder.h"
#include "platform/LoginItems.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

bool LaunchAtLogin::isEnabled() const {
    return platform_.defaults && platform_.defaults->boolValue(kMirrorKey).value_or(false);
}

bool LaunchAtLogin::readStatusIntoMirror() {
    const bool enabled = platform_.loginItems && platform_.loginItems->status() == LoginItemStatus::enabled;
    if (platform_.defaults) platform_.defaults->setBool(kMirrorKey, enabled);
    return enabled;
}

bool LaunchAtLogin::refresh() {
    return readStatusIntoMirror();
}

void LaunchAtLogin::set(bool on) {
    LoginItems* items = platform_.loginItems;
    const bool registered = items && items->status() == LoginItemStatus::enabled;
    QString error;
    bool failed = false;
    if (items && on && !registered) failed = !items->registerMainApp(&error);
    if (items && !on && registered) failed = !items->unregisterMainApp(&error);
    const bool enabled = readStatusIntoMirror();
    if (failed) {
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Automatic Start Failed"), error);
        return;
    }
    if (enabled)
        recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Automatic Start Enabled"),
                              QStringLiteral("Nimbrel will open automatically when you sign in."));
    else
        recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Automatic Start Disabled"),
                              QStringLiteral("Nimbrel will only open when launched manually."));
}

} // namespace nimbrel
