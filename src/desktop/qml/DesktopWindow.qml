import QtQuick
import QtQuick.Window
import Nimbrel.DesktopModels

// The simulated Mac's desktop: each screen's wallpaper and menu bar, the running apps'
// windows, the Dock, and Nimbrel's status item with its panel. It opens as large as all the
// screens in their arrangement, scaled down to what this machine's screen has room for.
Window {
    id: window
    title: "Nimbrel \u2014 simulated Mac"
    color: "#101014"
    readonly property real roomWidth: Screen.desktopAvailableWidth > 0 ? Screen.desktopAvailableWidth : Desktop.width
    readonly property real roomHeight: Screen.desktopAvailableHeight > 0 ? Screen.desktopAvailableHeight : Desktop.height
    readonly property real fit: Desktop.width > 0 && Desktop.height > 0
                                ? Math.min(1, roomWidth / Desktop.width, roomHeight / Desktop.height) : 1
    width: Math.max(320, Math.floor(Desktop.width * fit))
    height: Math.max(240, Math.floor(Desktop.height * fit))
    visible: true

    DesktopView {
        anchors.fill: parent
    }
}
