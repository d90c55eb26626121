#pragma once

#include <QString>

#include <optional>

namespace nimbrel {
class ShellController;
}

// What a user does with Nimbrel's status item and panel, and what they see of them, through
// the view models the panel's views use. `shell` is none while the program is not running.
// Each action answers an empty text, or why it cannot be done now.
namespace nimbrel::simtool::panel {

QString clickStatusItem(ShellController* shell);
// A card of the main menu (or its gear, for settings): blacklist, rules, sessions, activity, settings.
QString openScreen(ShellController* shell, const QString& name);
// The shown screen's way back to the main menu.
QString back(ShellController* shell);
// A row of the main menu's pause menu: a duration in seconds, or none for "Until I Resume".
QString pause(ShellController* shell, std::optional<double> seconds);
QString resume(ShellController* shell);
QString turnOnboardingSwitchOn(ShellController* shell);
QString openSettingsInstead(ShellController* shell);
// The onboarding's quit button (it ends the program at once, not through the quit notice).
QString quitFromOnboarding(ShellController* shell);
// The main menu's Permissions button.
QString openPermissions(ShellController* shell);

// What the user sees now; an empty text where nothing is shown.
struct Seen {
    QString statusItem; // the icon and its colour
    QString panel;      // mode, screen and frame while the panel is on screen
    QString panelText;  // the shown screen's status texts (main menu or onboarding)
};
Seen seen(const ShellController* shell);

} // namespace nimbrel::simtool::panel
