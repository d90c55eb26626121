import QtQuick

// A switch row of the app blocking card: a title, a subtitle and the switch.
HoverScale {
    id: row
    property string title: ""
    property string subtitle: ""
    property bool checked: false
    signal toggled(bool on)

    width: parent ? parent.width : 0
    height: texts.implicitHeight + 20
    cornerRadius: 16
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 48

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 16
    }
    Column {
        id: texts
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.right: toggle.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3
        Text {
            text: row.title
            color: Qt.rgba(1, 1, 1, 0.9)
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Text {
            width: parent.width
            text: row.subtitle
            color: Qt.rgba(1, 1, 1, 0.48)
            font.pixelSize: 11
            font.weight: Font.Medium
            wrapMode: Text.WordWrap
        }
    }
    ToggleSwitch {
        id: toggle
        objectName: row.objectName.length > 0 ? row.objectName + "Switch" : ""
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        checked: row.checked
        onToggled: on => row.toggled(on)
    }
}
