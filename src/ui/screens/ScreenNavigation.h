#pragma once

namespace nimbrel {

struct Platform;

// The back buttons of the settings, activity and blacklist screens: "Nimbrel.showMainWindow"
// with no object and no user info, on which the panel shows its main menu.
void goBackToMainScreen(Platform& platform);

} // namespace nimbrel
