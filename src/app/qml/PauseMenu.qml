import QtQuick

// The pause button's popover: the rows of the global pause, with its arrow on the bottom edge
// pointing at the button.
Item {
    id: menu
    property var rows: []
    // What lies under the popover, blurred behind it, and where the popover sits on it.
    property Item backdrop: null
    property point backdropOrigin: Qt.point(0, 0)
    readonly property real arrowSize: 8
    signal chosen(int index)

    width: 220
    height: column.implicitHeight + 20

    // The arrow: a square turned on its corner, half of it below the edge.
    Rectangle {
        x: (menu.width - width) / 2
        y: menu.height - height / 2 - 1
        width: menu.arrowSize * Math.SQRT2
        height: width
        rotation: 45
        color: Qt.rgba(0.14, 0.14, 0.17, 1)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
    LiquidGlassBackground {
        anchors.fill: parent
        cornerRadius: 20
        fallbackMaterial: "hudWindow"
        backdrop: menu.backdrop
        backdropOrigin: menu.backdropOrigin
    }
    Rectangle {
        anchors.fill: parent
        radius: 20
        // Dense enough that the screen under the popover does not read through its rows.
        color: Qt.rgba(0.1, 0.1, 0.12, 0.78)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
    Column {
        id: column
        x: 10
        y: 10
        width: parent.width - 20
        spacing: 8
        Repeater {
            model: menu.rows
            delegate: Column {
                id: entry
                required property var modelData
                required property int index
                width: column.width
                spacing: 8
                Rectangle {
                    visible: entry.modelData.dividerBefore
                    width: parent.width
                    height: 1
                    color: Qt.rgba(1, 1, 1, 0.12)
                }
                HoverScale {
                    width: parent.width
                    height: 34
                    cornerRadius: 17
                    hoverScale: 1.006
                    animationDuration: 0.16
                    highlightLength: 50
                    Row {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 6
                        Item {
                            width: 18
                            height: 18
                            SymbolIcon {
                                anchors.centerIn: parent
                                name: entry.modelData.symbol
                                pointSize: 12
                                color: Qt.rgba(1, 1, 1, 0.82)
                            }
                        }
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: entry.modelData.text
                            color: Qt.rgba(1, 1, 1, 0.9)
                            font.pixelSize: 13
                            font.weight: Font.DemiBold
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: menu.chosen(entry.index)
                    }
                }
            }
        }
    }
}
