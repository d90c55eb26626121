import QtQuick

// One logged entry: the type's symbol in a round chip, the title with its time, the message.
// A click copies the title and message.
HoverScale {
    id: card
    property string title: ""
    property string message: ""
    property string time: ""
    property string symbol: ""
    property string tint: "blue"
    signal clicked()

    readonly property color tintColor: tint === "green" ? Qt.rgba(0.19, 0.82, 0.35, 0.9)
                                     : tint === "yellow" ? Qt.rgba(1, 0.84, 0.04, 0.9)
                                     : tint === "red" ? Qt.rgba(1, 0.27, 0.23, 0.9)
                                     : Qt.rgba(0.04, 0.52, 1, 0.9)

    height: row.implicitHeight + 24
    cornerRadius: 22
    hoverScale: 1.006
    animationDuration: 0.16
    highlightLength: 76
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: helpText
    readonly property string helpText: "Copy activity description"

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 22
    }
    Row {
        id: row
        x: 12
        y: 12
        width: card.width - 24
        spacing: 11
        GlassSurface {
            width: 32
            height: 32
            cornerRadius: 16
            SymbolIcon {
                anchors.centerIn: parent
                name: card.symbol
                pointSize: 13
                color: card.tintColor
            }
        }
        Column {
            width: parent.width - 43
            spacing: 5
            Item {
                width: parent.width
                height: titleText.implicitHeight
                Text {
                    id: titleText
                    anchors.left: parent.left
                    anchors.right: timeText.left
                    anchors.rightMargin: 8
                    text: card.title
                    color: Qt.rgba(1, 1, 1, 0.92)
                    font.pixelSize: 13
                    font.weight: Font.Bold
                    elide: Text.ElideRight
                }
                Text {
                    id: timeText
                    anchors.right: parent.right
                    anchors.baseline: titleText.baseline
                    text: card.time
                    color: Qt.rgba(1, 1, 1, 0.46)
                    font.pixelSize: 11
                    font.weight: Font.Bold
                }
            }
            Text {
                width: parent.width
                text: card.message
                color: Qt.rgba(1, 1, 1, 0.56)
                font.pixelSize: 12
                font.weight: Font.Medium
                wrapMode: Text.Wrap
            }
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: card.clicked()
    }
    HelpTip { text: card.helpText }
}
