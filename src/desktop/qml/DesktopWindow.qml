import QtQuick
import QtQuick.Window

// The simulated Mac's desktop: each screen's wallpaper and menu bar, the running apps'
// windows, the Dock, and Nimbrel's status item with its panel.
Window {
    id: window
    title: "Nimbrel \u2014 simulated Mac"
    color: "#101014"
    width: Math.min(Screen.desktopAvailableWidth > 0 ? Screen.desktopAvailableWidth : 1728, 1728)
    height: Math.min(Screen.desktopAvailableHeight > 0 ? Screen.desktopAvailableHeight : 1117, 1117)
    visible: true

    DesktopView {
        anchors.fill: parent
    }
}
