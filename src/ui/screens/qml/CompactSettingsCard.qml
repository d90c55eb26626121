import QtQuick

// A titled glass card of the settings screen: title, a subtitle of at most two lines, and the
// card's content below them.
HoverScale {
    id: card
    property string title: ""
    property string subtitle: ""
    property real contentSpacing: 10
    default property alias cardContent: body.data

    implicitHeight: column.implicitHeight + 28
    height: implicitHeight
    cornerRadius: 24
    hoverScale: 1.002
    animationDuration: 0.16
    highlightLength: 72
    borderWidth: 1.1

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 24
    }
    Column {
        id: column
        x: 14
        y: 14
        width: card.width - 28
        spacing: 11
        Column {
            width: parent.width
            spacing: 2
            Text {
                width: parent.width
                text: card.title
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 16
                font.weight: Font.Bold
                elide: Text.ElideRight
            }
            Text {
                width: parent.width
                text: card.subtitle
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 11
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
        }
        Column {
            id: body
            width: parent.width
            spacing: card.contentSpacing
        }
    }
}
