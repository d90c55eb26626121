#pragma once

#include "platform/Accessibility.h"
#include "platform/Workspace.h"

#include <QString>

#include <optional>
#include <vector>

namespace nimbrel {

class FileSystem;

// The small Accessibility readers that the engine and the window manager share.
// A read that fails always counts as the value's default.
struct AxReaders {
    // "AXWindows" as elements; empty when unreadable or of another kind.
    static std::vector<AXElement> axWindows(Accessibility& ax, const AXElement& element);
    static std::optional<QString> stringAttribute(Accessibility& ax, const QString& name, const AXElement& element);
    // False when unreadable or not a Boolean.
    static bool boolAttribute(Accessibility& ax, const QString& name, const AXElement& element);
    static std::optional<Point> position(Accessibility& ax, const AXElement& element);
    // "AXDocument" as a file path: "file://" URLs give their path, empty text gives none.
    static std::optional<QString> documentPath(Accessibility& ax, const AXElement& window);
    // "~" expanded to `home`, percent-escapes removed (kept when malformed), trimmed.
    static QString normalizedPath(const QString& path, const QString& home);

    // Of an application element, the "AXWindows" that are real windows: role "AXWindow"
    // (or unreadable) and a subrole other than system dialog, floating or unknown.
    static std::vector<AXElement> realWindows(Accessibility& ax, const AXElement& appElement);
    static std::vector<AXElement> realWindows(Accessibility& ax, const RunningApplication& app) {
        return realWindows(ax, ax.applicationElement(app.pid));
    }
    static bool isMinimized(Accessibility& ax, const AXElement& window) {
        return boolAttribute(ax, QStringLiteral("AXMinimized"), window);
    }
    static bool isFocused(Accessibility& ax, const AXElement& window) {
        return boolAttribute(ax, QStringLiteral("AXFocused"), window);
    }

    // Finder's windows split by the Trash: with `trash`, only windows whose title is a
    // Trash title (untitled ones dropped); without, only the others (untitled ones kept).
    static std::vector<AXElement> finderWindows(Accessibility& ax, const std::vector<AXElement>& windows, bool trash);
};

} // namespace nimbrel
