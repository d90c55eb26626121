import QtQuick

// One row of the main menu: a tinted symbol tile, a title, a live subtitle and a chevron.
HoverScale {
    id: card
    property string title: ""
    property string subtitle: ""
    property string systemImage: ""
    property color tint: "#5E9EFF"
    signal clicked()

    height: 62
    cornerRadius: 16
    hoverScale: 1.012
    animationDuration: 0.16
    highlightLength: 90
    Accessible.role: Accessible.Button
    Accessible.name: title

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 16
        Rectangle {
            id: tile
            anchors.left: parent.left
            anchors.leftMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            width: 36
            height: 36
            radius: 10
            color: Qt.rgba(card.tint.r, card.tint.g, card.tint.b, 0.24)
            border.width: 1
            border.color: Qt.rgba(card.tint.r, card.tint.g, card.tint.b, 0.45)
            SymbolIcon {
                anchors.centerIn: parent
                name: card.systemImage
                pointSize: 17
                color: card.tint
            }
        }
        Column {
            anchors.left: tile.right
            anchors.leftMargin: 12
            anchors.right: chevron.left
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                text: card.title
                color: Qt.rgba(1, 1, 1, 0.95)
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
            Text {
                width: parent.width
                elide: Text.ElideRight
                text: card.subtitle
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: 12
            }
        }
        SymbolIcon {
            id: chevron
            anchors.right: parent.right
            anchors.rightMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            name: "chevron.right"
            pointSize: 12
            color: Qt.rgba(1, 1, 1, 0.4)
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: card.clicked()
    }
}
