import QtQuick
import Nimbrel.Screens

// The pause button's popover: the rows of the global pause, with its arrow on the edge that
// faces the button, on the popovers' glass (PopoverGlass).
Item {
    id: menu
    property var rows: []
    property Item backdrop: null
    property point backdropOrigin: Qt.point(0, 0)
    property Item surface: null
    property point surfaceOrigin: Qt.point(0, 0)
    property bool arrowOnTop: false
    // The arrow's middle, from the left edge.
    property real arrowX: width / 2
    readonly property real arrowSize: 8
    readonly property real cornerRadius: 20
    readonly property real naturalHeight: column.implicitHeight + 20
    signal chosen(int index)

    width: 220
    height: naturalHeight

    // The arrow: a square turned on its corner, half of it past the edge.
    Rectangle {
        x: menu.arrowX - width / 2
        y: menu.arrowOnTop ? -height / 2 + 1 : menu.height - height / 2 - 1
        width: menu.arrowSize * Math.SQRT2
        height: width
        rotation: 45
        color: Qt.rgba(0.14, 0.14, 0.17, 1)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
    PopoverGlass {
        anchors.fill: parent
        cornerRadius: menu.cornerRadius
        backdrop: menu.backdrop
        backdropOrigin: menu.backdropOrigin
        surface: menu.surface
        surfaceOrigin: menu.surfaceOrigin
    }
    // Cut shorter than its rows (no room on either side of the button), it scrolls.
    Flickable {
        DirectWheelScroll.enabled: true
        x: 10
        y: 10
        width: parent.width - 20
        height: parent.height - 20
        contentHeight: column.implicitHeight
        clip: contentHeight > height
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds

        Column {
            id: column
            width: parent.width
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
}
