import QtQuick

// A capsule-shaped glass button: an optional symbol before the title.
HoverScale {
    id: pill
    property string title: ""
    property string systemImage: ""
    property real horizontalPadding: 16
    property real symbolSize: 13
    property font font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
    property bool isDestructive: false
    property bool isFullWidth: false
    // Run on click, as is the clicked() signal.
    property var action: null
    signal clicked()

    property color foreground: isDestructive ? Qt.rgba(1, 0.27, 0.23, 0.88) : Qt.rgba(1, 1, 1, 0.92)
    property real contentSpacing: 9

    implicitWidth: row.implicitWidth + horizontalPadding * 2
    implicitHeight: 36
    width: isFullWidth && parent ? parent.width : implicitWidth
    cornerRadius: height * 0.5
    hoverScale: 1.012
    animationDuration: 0.16
    highlightLength: height * 1.9
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: title

    GlassSurface {
        anchors.fill: parent
        cornerRadius: pill.height * 0.5
        Row {
            id: row
            anchors.centerIn: parent
            // No gap before the title when there is no symbol.
            spacing: pill.systemImage.length > 0 ? pill.contentSpacing : 0
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                visible: pill.systemImage.length > 0
                name: pill.systemImage
                pointSize: pill.symbolSize
                color: pill.foreground
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: pill.title
                font: pill.font
                color: pill.foreground
            }
        }
    }
    MouseArea {
        anchors.fill: parent
        // The hit area is the capsule: presses in the corners pass through.
        onPressed: mouse => {
            const r = pill.height / 2
            const dx = Math.max(r - mouse.x, mouse.x - (pill.width - r), 0)
            const dy = mouse.y - r
            mouse.accepted = dx * dx + dy * dy <= r * r
        }
        onClicked: {
            if (typeof pill.action === "function")
                pill.action()
            pill.clicked()
        }
    }
}
