#pragma once

#include "platform/Geometry.h"
#include "platform/Workspace.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The plain state of the simulated Mac. Window frames are kept in Accessibility
// coordinates (top-left of the primary screen, y down), as the windows report them.
namespace nimbrel::sim {

struct Tab {
    QString url;
    QString title;
    friend bool operator==(const Tab&, const Tab&) = default;
};

struct Window {
    std::uint64_t id = 0;
    QString role = QStringLiteral("AXWindow");
    QString subrole = QStringLiteral("AXStandardWindow");
    QString title;
    Rect frame;
    bool minimized = false;
    bool fullScreen = false;
    Rect frameBeforeFullScreen;
    std::optional<Rect> frameBeforeZoom; // set while zoomed to fill its screen
    std::optional<QString> document;     // "AXDocument": a file URL text for Finder folder windows
    std::vector<Tab> tabs;               // browsers only
    int currentTab = 0;
    QStringList commands;                 // terminals: what was sent to run in this window
    std::optional<int> refusedWriteError; // fault: every attribute write answers this code
    QStringList unreadableAttributes;     // fault: reads of these attributes answer -25204

    bool isBrowserWindow() const { return !tabs.empty(); }
    bool hasZoomAndFullScreenButtons() const { return subrole == QStringLiteral("AXStandardWindow"); }
};

struct App {
    int pid = 0;
    QString bundleIdentifier; // empty when it has none
    QString bundlePath;       // empty when it has none
    QString name;
    ActivationPolicy policy = ActivationPolicy::regular;
    bool hidden = false;
    std::vector<Window> windows; // front to back; minimized windows go last
    // Windows on screen but none focused (its key window went away) until one is raised,
    // restored or opened.
    bool noFocusedWindow = false;

    // Faults.
    std::optional<int> scriptError; // every Apple event sent to it fails with this number
    bool ignoresTerminate = false;  // a polite request to quit leaves it running
};

enum class DockTileKind { application, folder, file, trash, separator };

struct DockTile {
    QString title;
    DockTileKind kind = DockTileKind::application;
    QString path;             // bundle or folder path; empty for the Trash and separators
    QString bundleIdentifier; // applications only
    bool persistent = true;   // false: a running application shown in the recent area
    Rect frame;               // AppKit coordinates, worked out by the layout
};

enum class DockOrientation { bottom, left, right };

struct Screen {
    int id = 0;
    QString name;
    Rect frame;        // AppKit coordinates
    Rect visibleFrame; // AppKit coordinates
    QString desktopImageURL;
};

struct InstalledApp {
    QString bundlePath;
    QString bundleIdentifier;
    QString name; // CFBundleDisplayName, else CFBundleName, else the file name
    // "LSUIElement" makes an agent (accessory), "LSBackgroundOnly" a background application.
    ActivationPolicy policy = ActivationPolicy::regular;
};

QString dockTileKindName(DockTileKind kind);
std::optional<DockTileKind> dockTileKindFromName(const QString& name);
QString orientationName(DockOrientation o);
std::optional<DockOrientation> orientationFromName(const QString& name);

} // namespace nimbrel::sim
