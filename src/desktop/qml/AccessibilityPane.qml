import QtQuick
import Nimbrel.App
import Nimbrel.DesktopModels

// System Settings › Privacy & Security › Accessibility, as far as Nimbrel needs it: the body
// of the simulated Mac's System Settings window.
Item {
    id: pane
    width: 560
    height: 260

    Text {
        x: 24
        y: 16
        text: "Privacy & Security \u203A Accessibility"
        color: "white"
        font.pixelSize: 20
        font.weight: Font.Bold
    }
    Text {
        x: 24
        y: 50
        width: parent.width - 48
        wrapMode: Text.WordWrap
        text: "Allow the applications below to control your computer."
        color: Qt.rgba(1, 1, 1, 0.6)
        font.pixelSize: 13
    }
    Rectangle {
        x: 24
        y: 88
        width: parent.width - 48
        height: 64
        radius: 10
        color: Qt.rgba(1, 1, 1, 0.06)
        Image {
            id: appIcon
            x: 14
            anchors.verticalCenter: parent.verticalCenter
            width: 30
            height: 30
            sourceSize: Qt.size(60, 60)
            source: "image://symbol/asset/NIMBREL_MENU_BAR"
        }
        Text {
            anchors.left: appIcon.right
            anchors.leftMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            text: "Nimbrel"
            color: "white"
            font.pixelSize: 15
        }
        ToggleSwitch {
            anchors.right: parent.right
            anchors.rightMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            checked: Desktop.accessibilityTrusted
            onToggled: on => Desktop.setAccessibilityTrusted(on)
        }
    }
    Text {
        x: 24
        y: 172
        width: parent.width - 48
        wrapMode: Text.WordWrap
        text: Desktop.accessibilityTrusted ? "Nimbrel may watch Dock clicks and arrange windows."
                                           : "Nimbrel cannot see Dock clicks until it is switched on."
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 12
    }
}
