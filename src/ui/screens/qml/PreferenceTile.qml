import QtQuick

// One switch of the settings screen: its symbol and title follow the value shown.
HoverScale {
    id: tile
    property string title: ""
    property string systemImage: ""
    property bool isOn: false
    signal toggled(bool on)

    width: parent ? parent.width : 300
    height: 40
    cornerRadius: 18
    hoverScale: 1.002
    animationDuration: 0.16
    highlightLength: 46
    borderWidth: 1.1
    Accessible.role: Accessible.CheckBox
    Accessible.name: title
    Accessible.checked: isOn

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 18
    }
    Row {
        anchors.left: parent.left
        anchors.leftMargin: 9
        anchors.right: toggle.left
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 7
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: tile.systemImage
            pointSize: 13
            color: Qt.rgba(1, 1, 1, 0.86)
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: tile.title
            color: Qt.rgba(1, 1, 1, 0.86)
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
    }
    ToggleSwitch {
        id: toggle
        objectName: tile.objectName + "-switch"
        anchors.right: parent.right
        anchors.rightMargin: 9
        anchors.verticalCenter: parent.verticalCenter
        checked: tile.isOn
        onToggled: on => tile.toggled(on)
    }
}
