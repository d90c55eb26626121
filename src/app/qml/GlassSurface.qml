import QtQuick
import Nimbrel.Models

// A rounded glass surface behind its children: the platform glass where the setting and the
// system allow it, otherwise a blur with a faint white fill; a thin white outline on top.
Item {
    id: surface
    property real cornerRadius: 16
    default property alias content: holder.data

    Rectangle {
        anchors.fill: parent
        radius: surface.cornerRadius
        visible: Glass.drawsGlass
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.16) }
            GradientStop { position: 0.55; color: Qt.rgba(1, 1, 1, 0.07) }
            GradientStop { position: 1.0; color: Qt.rgba(1, 1, 1, 0.10) }
        }
    }
    VisualEffectBlur {
        anchors.fill: parent
        visible: !Glass.drawsGlass
        cornerRadius: surface.cornerRadius
        material: "hudWindow"
        blendingMode: "withinWindow"
        effectState: "active"
    }
    Rectangle {
        anchors.fill: parent
        radius: surface.cornerRadius
        visible: !Glass.drawsGlass
        color: Qt.rgba(1, 1, 1, 0.075)
    }
    Item {
        id: holder
        anchors.fill: parent
    }
    Rectangle {
        anchors.fill: parent
        radius: surface.cornerRadius
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, Glass.surfaceOutlineOpacity)
    }
}
