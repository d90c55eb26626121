#pragma once

#include <QString>

#include <functional>

namespace nimbrel {

class UserDefaults;

// What the status button shows: one of the program's assets (kept in its own colours) or a
// system symbol (a template image the menu bar tints). Always 18 x 18 points.
struct MenuBarIconImage {
    enum class Kind { Asset, Symbol };
    Kind kind = Kind::Asset;
    QString name;
    bool isTemplate = false;
    double size = 18;

    bool operator==(const MenuBarIconImage&) const = default;
};

// Which images exist: the system's symbols and the program's assets.
struct MenuBarIconCatalog {
    std::function<bool(const QString&)> hasSymbol;
    std::function<bool(const QString&)> hasAsset;
};

// Trims white space; empty becomes the default icon name.
QString normalizedMenuBarIconName(const QString& name);

// Paused while "Nimbrel.isPausedIndefinitely" is true, or while now (seconds since 1970) lies
// before "Nimbrel.pauseUntilTimestamp".
bool isMenuBarIconPaused(const UserDefaults& defaults, double nowUnixSeconds);

// The icon for `name`: the orange asset while paused, else the session's symbol or asset,
// else the default asset, with symbols as the last resort when assets are missing.
MenuBarIconImage menuBarIconImage(const QString& name, bool paused, const MenuBarIconCatalog& catalog);

} // namespace nimbrel
