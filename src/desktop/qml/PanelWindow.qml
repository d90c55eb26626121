import QtQuick
import QtQuick.Window
import Nimbrel.App
import Nimbrel.Models

// The shell's panel alone, in a window of its own with a plain backdrop instead of the
// simulated Mac's desktop: what the program's own screens cost to start and to keep.
Window {
    id: window
    readonly property real margin: 24
    title: "Nimbrel"
    color: "#202024"
    width: Math.max(360, Shell.panelWidth) + 2 * margin
    height: Math.max(500, Shell.panelHeight) + 2 * margin
    visible: true
    // No menu bar here: the status item is said to sit where a menu bar would hold it, so the
    // panel is placed under it as usual; the window then shows the panel at its margin.
    Component.onCompleted: Shell.setStatusButtonGeometry(400, 4, 34, 16)

    Item {
        id: backdrop
        anchors.fill: parent
    }

    Item {
        x: window.margin - Shell.panelLeft
        y: window.margin - Shell.panelTop

        NimbrelPanel {
            backdrop: backdrop
        }
    }
}
