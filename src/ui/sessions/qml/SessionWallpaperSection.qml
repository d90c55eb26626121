import QtQuick

// The wallpaper card: one picture for every display, or one per connected display.
SessionSectionCard {
    id: card
    property QtObject section: null

    Item {
        width: parent.width
        height: 24
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "Wallpaper"
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Row {
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            spacing: 10
            ToggleSwitch {
                objectName: "wallpaperSyncSwitch"
                anchors.verticalCenter: parent.verticalCenter
                checked: card.section?.sync ?? true
                onToggled: on => { if (card.section) card.section.sync = on }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Sync"
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 11
                font.weight: Font.Bold
            }
        }
    }
    Text {
        width: parent.width
        text: card.section?.description ?? ""
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 12
        font.weight: Font.Medium
        wrapMode: Text.WordWrap
    }
    Column {
        width: parent.width
        spacing: 8
        Repeater {
            model: card.section?.rows ?? []
            GlassSurface {
                id: row
                required property var modelData
                required property int index
                objectName: "wallpaperRow_" + index
                width: parent.width
                height: 48
                cornerRadius: 18
                GlassSurface {
                    id: tile
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: 28
                    height: 28
                    cornerRadius: 14
                    SymbolIcon {
                        anchors.centerIn: parent
                        name: "display"
                        pointSize: 11
                        color: Qt.rgba(1, 1, 1, 0.75)
                    }
                }
                Column {
                    anchors.left: tile.right
                    anchors.leftMargin: 10
                    anchors.right: button.left
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 2
                    Text {
                        text: row.modelData.title
                        color: Qt.rgba(1, 1, 1, 0.88)
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                    }
                    Text {
                        objectName: "wallpaperSubtitle"
                        width: parent.width
                        text: row.modelData.subtitle
                        textFormat: Text.PlainText
                        color: Qt.rgba(1, 1, 1, 0.45)
                        font.pixelSize: 11
                        font.weight: Font.Medium
                        elide: Text.ElideMiddle
                        maximumLineCount: 1
                    }
                }
                GlassPillButton {
                    id: button
                    objectName: "wallpaperButton"
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    height: 28
                    horizontalPadding: 10
                    title: row.modelData.buttonTitle
                    foreground: Qt.rgba(1, 1, 1, 0.88)
                    font: Qt.font({ pixelSize: 11, weight: Font.Bold })
                    hoverScale: 1.02
                    highlightLength: 24
                    onClicked: card.section.chooseWallpaper(row.index)
                }
            }
        }
    }
}
