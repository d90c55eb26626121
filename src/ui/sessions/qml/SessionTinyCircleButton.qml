import QtQuick

// A small round arrow of a Dock order row. A click on it never reaches the row, also while
// the arrow is disabled.
HoverScale {
    id: button
    property string systemImage: ""
    property bool isEnabled: true
    signal clicked()

    width: 30
    height: 30
    z: 30
    cornerRadius: 15
    hoverScale: isEnabled ? 1.055 : 1.0
    animationDuration: 0.16
    highlightLength: 26
    Accessible.role: Accessible.Button
    Accessible.name: systemImage

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 15
        SymbolIcon {
            anchors.centerIn: parent
            name: button.systemImage
            pointSize: 9.5
            color: Qt.rgba(1, 1, 1, button.isEnabled ? 0.88 : 0.25)
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: if (button.isEnabled) button.clicked()
    }
}
