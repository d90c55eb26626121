import QtQuick

// A titled glass block of the schedule card ("Active days", the time window).
HoverScale {
    id: block
    property string title: ""
    default property alias content: column.data

    width: parent ? parent.width : 0
    height: outer.implicitHeight + 20
    cornerRadius: 18
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 52

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 18
    }
    Column {
        id: outer
        x: 10
        y: 10
        width: block.width - 20
        spacing: 12
        Text {
            text: block.title
            color: Qt.rgba(1, 1, 1, 0.66)
            font.pixelSize: 12
            font.weight: Font.Bold
        }
        Column {
            id: column
            width: parent.width
            spacing: 12
        }
    }
}
