#include "app/MenuBarIcon.h"

#include "app/GlobalPause.h"
#include "app/ShellNames.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

namespace {

MenuBarIconImage asset(const QString& name) {
    return {MenuBarIconImage::Kind::Asset, name, false, 18};
}
MenuBarIconImage symbol(const QString& name) {
    return {MenuBarIconImage::Kind::Symbol, name, true, 18};
}

bool has(const std::function<bool(const QString&)>& lookup, const QString& name) {
    return lookup && lookup(name);
}

} // namespace

QString normalizedMenuBarIconName(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? shell::kMenuBarIcon : trimmed;
}

bool isMenuBarIconPaused(const UserDefaults& defaults, double nowUnixSeconds) {
    if (defaults.boolValue(pausekeys::kIsPausedIndefinitely).value_or(false)) return true;
    return nowUnixSeconds < defaults.doubleValue(pausekeys::kPauseUntilTimestamp).value_or(0);
}

MenuBarIconImage menuBarIconImage(const QString& name, bool paused, const MenuBarIconCatalog& catalog) {
    if (paused) {
        if (has(catalog.hasAsset, shell::kMenuBarIconOrange)) return asset(shell::kMenuBarIconOrange);
        if (has(catalog.hasAsset, shell::kMenuBarIcon)) return asset(shell::kMenuBarIcon);
        return symbol(shell::kPausedSymbol);
    }
    const QString wanted = normalizedMenuBarIconName(name);
    QString assetName = wanted;
    if (wanted != shell::kMenuBarIcon) {
        if (has(catalog.hasSymbol, wanted)) return symbol(wanted);
        if (!has(catalog.hasAsset, wanted)) assetName = shell::kMenuBarIcon;
    }
    if (has(catalog.hasAsset, assetName)) return asset(assetName);
    return symbol(shell::kFallbackSymbol);
}

} // namespace nimbrel
