import QtQuick
import Nimbrel.Models

// The panel's full-size background: glass, or a blur of what lies behind the window with a
// faint white fill. No outline.
Item {
    id: background
    property real cornerRadius: 22
    property string fallbackMaterial: "hudWindow"
    property Item backdrop: null
    property point backdropOrigin: Qt.point(0, 0)

    Rectangle {
        anchors.fill: parent
        radius: background.cornerRadius
        visible: Glass.drawsGlass
        color: Qt.rgba(0.16, 0.16, 0.19, 0.55)
    }
    VisualEffectBlur {
        anchors.fill: parent
        visible: !Glass.drawsGlass
        cornerRadius: background.cornerRadius
        material: background.fallbackMaterial
        blendingMode: "behindWindow"
        effectState: "active"
        backdrop: background.backdrop
        backdropOrigin: background.backdropOrigin
    }
    Rectangle {
        anchors.fill: parent
        radius: background.cornerRadius
        visible: !Glass.drawsGlass
        color: Qt.rgba(1, 1, 1, 0.055)
    }
}
