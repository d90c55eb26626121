#pragma once

#include "model/BehaviorMode.h"

#include <QString>

#include <array>

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

struct PreferencesSummaryInput {
    bool launchAtLogin = false;
    bool syncEnabled = false;
    bool notificationsEnabled = false;
    bool liquidGlassEnabled = false;
    int systemMajorVersion = 0;
    NimbrelBehaviorMode behaviorMode = NimbrelBehaviorMode::automatic;
};
// The "App Preferences" subtitle: what is on, then the mode, joined with " · ".
QString preferencesSummary(const PreferencesSummaryInput& input);

} // namespace nimbrel
