import QtQuick

// One of a session card's round action buttons.
HoverScale {
    id: button
    property string systemImage: ""
    property color tint: "white"
    property string accessibilityLabel: ""
    signal clicked()

    width: 28
    height: 28
    cornerRadius: 14
    hoverScale: 1.03
    animationDuration: 0.16
    highlightLength: 30
    Accessible.role: Accessible.Button
    Accessible.name: accessibilityLabel

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 14
        SymbolIcon {
            anchors.centerIn: parent
            name: button.systemImage
            pointSize: 10.5
            color: Qt.rgba(button.tint.r, button.tint.g, button.tint.b, 0.92)
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
