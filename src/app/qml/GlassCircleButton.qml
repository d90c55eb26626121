import QtQuick

// A round glass button with a symbol.
HoverScale {
    id: button
    property string systemImage: ""
    property string accessibilityLabel: ""
    property real size: 32
    property real symbolSize: 14
    property int symbolWeight: Font.Medium
    property bool isDestructive: false
    signal clicked()

    width: size
    height: size
    cornerRadius: size * 0.5
    hoverScale: 1.035
    animationDuration: 0.16
    highlightLength: size * 0.88
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: accessibilityLabel

    GlassSurface {
        anchors.fill: parent
        cornerRadius: button.size * 0.5
        SymbolIcon {
            anchors.centerIn: parent
            name: button.systemImage
            pointSize: button.symbolSize
            color: button.isDestructive ? Qt.rgba(1, 0.27, 0.23, 0.88) : Qt.rgba(1, 1, 1, 0.92)
        }
    }
    MouseArea {
        anchors.fill: parent
        // The hit area is the circle: presses in the corners pass through.
        onPressed: mouse => {
            const dx = mouse.x - button.size / 2
            const dy = mouse.y - button.size / 2
            mouse.accepted = dx * dx + dy * dy <= button.size * button.size / 4
        }
        onClicked: button.clicked()
    }
}
