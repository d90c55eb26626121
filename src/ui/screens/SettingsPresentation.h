#pragma once

#include "model/BehaviorMode.h"

#include <QString>

#include <array>
#include <vector>

namespace nimbrel {

// How each behaviour mode is shown: its title and symbol, in declaration order.
struct BehaviorModeLook {
    NimbrelBehaviorMode mode;
    QString title;
    QString symbol;
};
const std::array<BehaviorModeLook, 4>& behaviorModeLooks();
QString behaviorModeTitle(NimbrelBehaviorMode mode);

// The switch tiles of the settings screen; each shows a title and a symbol that follow its value.
enum class PreferenceTile { launchAtLogin, sync, minimizeAfterCycle, notifications, liquidGlass, automaticUpdates };

struct TileLook {
    QString title;
    QString symbol;
};
TileLook preferenceTileLook(PreferenceTile tile, bool on);

// The liquid-glass look exists from system version 26 on.
inline bool systemOffersLiquidGlass(int systemMajorVersion) {
    return systemMajorVersion >= 26;
}

// What the settings screen shows: its summary and its tiles read the same values.
struct PreferenceValues {
    bool launchAtLogin = false;
    bool syncEnabled = false;
    bool notificationsEnabled = false;
    bool liquidGlassEnabled = false;
    int systemMajorVersion = 0;
    NimbrelBehaviorMode behaviorMode = NimbrelBehaviorMode::automatic;
    bool minimizeAfterCycle = false;
};
// The "App Preferences" subtitle: what is on, then the mode, joined with " · ".
QString preferencesSummary(const PreferenceValues& values);

// One switch tile as shown: the key it is set by, and whether it is on.
struct PreferenceTileState {
    QString key; // "launchAtLogin", "sync", "minimizeAfterCycle", "notifications", "liquidGlass"
    PreferenceTile tile;
    bool on;
};
// The switch tiles in their order; the glass tile only where the system offers the look.
std::vector<PreferenceTileState> preferenceTileStates(const PreferenceValues& values);

} // namespace nimbrel
