#include "ui/screens/SettingsPresentation.h"

#include <QStringList>

namespace nimbrel {

const std::array<BehaviorModeLook, 4>& behaviorModeLooks() {
    static const std::array<BehaviorModeLook, 4> looks{{
        {NimbrelBehaviorMode::automatic, QStringLiteral("Automatic"), QStringLiteral("rectangle.2.swap")},
        {NimbrelBehaviorMode::restore, QStringLiteral("Restore"), QStringLiteral("arrow.down.to.line")},
        {NimbrelBehaviorMode::cycling, QStringLiteral("Cycling"), QStringLiteral("arrow.forward.circle")},
        {NimbrelBehaviorMode::disabled, QStringLiteral("Disabled"), QStringLiteral("nosign")},
    }};
    return looks;
}

QString behaviorModeTitle(NimbrelBehaviorMode mode) {
    return behaviorModeLooks()[static_cast<size_t>(mode)].title;
}

TileLook preferenceTileLook(PreferenceTile tile, bool on) {
    auto pick = [on](const char* onTitle, const char* onSymbol, const char* offTitle, const char* offSymbol) {
        return on ? TileLook{QString::fromUtf8(onTitle), QString::fromUtf8(onSymbol)}
                  : TileLook{QString::fromUtf8(offTitle), QString::fromUtf8(offSymbol)};
    };
    switch (tile) {
    case PreferenceTile::launchAtLogin:
        return pick("Automatic Start Enabled", "power.circle.fill", "Automatic Start Disabled", "power.circle");
    case PreferenceTile::sync:
        return pick("Sync Enabled", "icloud.fill", "Sync Disabled", "icloud.slash.fill");
    case PreferenceTile::minimizeAfterCycle:
        return pick("Minimize After Cycle", "arrow.down.to.line.compact", "Keep Windows Open", "square.2.layers.3d");
    case PreferenceTile::notifications:
        return pick("Notifications Enabled", "bell.badge.fill", "Notifications Disabled", "bell.slash.fill");
    case PreferenceTile::liquidGlass:
        return pick("Liquid Glass", "sparkles", "Premium Blur", "rectangle.on.rectangle");
    case PreferenceTile::automaticUpdates:
        return pick("Automatic Updates", "arrow.down.circle.fill", "Manual Updates", "arrow.clockwise.circle");
    }
    return {};
}

QString preferencesSummary(const PreferenceValues& input) {
    QStringList parts;
    if (input.launchAtLogin) parts << QStringLiteral("Startup");
    if (input.syncEnabled) parts << QStringLiteral("Sync");
    if (input.notificationsEnabled) parts << QStringLiteral("Notifications");
    // The stored setting, not whether glass is drawn; only systems that offer the look list it.
    if (systemOffersLiquidGlass(input.systemMajorVersion) && input.liquidGlassEnabled)
        parts << QStringLiteral("Appearance");
    parts << behaviorModeTitle(input.behaviorMode);
    return parts.join(QString::fromUtf8(" \u00B7 "));
}

std::vector<PreferenceTileState> preferenceTileStates(const PreferenceValues& values) {
    std::vector<PreferenceTileState> tiles{
        {QStringLiteral("launchAtLogin"), PreferenceTile::launchAtLogin, values.launchAtLogin},
        {QStringLiteral("sync"), PreferenceTile::sync, values.syncEnabled},
        {QStringLiteral("minimizeAfterCycle"), PreferenceTile::minimizeAfterCycle, values.minimizeAfterCycle},
        {QStringLiteral("notifications"), PreferenceTile::notifications, values.notificationsEnabled},
    };
    if (systemOffersLiquidGlass(values.systemMajorVersion))
        tiles.push_back({QStringLiteral("liquidGlass"), PreferenceTile::liquidGlass, values.liquidGlassEnabled});
    return tiles;
}

} // namespace nimbrel
