import QtQuick

// The Dock tap behaviour: four modes in two columns, the selected one lit and outlined.
HoverScale {
    id: card
    // [{title, symbol, selected}] in declaration order.
    property var modes: []
    signal chosen(int index)

    width: parent ? parent.width : 300
    height: column.implicitHeight + 12
    cornerRadius: 18
    hoverScale: 1.002
    animationDuration: 0.16
    highlightLength: 46
    borderWidth: 1.1

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 18
    }
    Column {
        id: column
        x: 9
        y: 6
        width: card.width - 18
        spacing: 7
        Text {
            leftPadding: 2
            text: "Behavior Mode"
            color: Qt.rgba(1, 1, 1, 0.52)
            font.pixelSize: 11
            font.weight: Font.DemiBold
        }
        Grid {
            id: grid
            width: parent.width
            columns: 2
            columnSpacing: 8
            rowSpacing: 6
            Repeater {
                model: card.modes
                delegate: HoverScale {
                    id: cell
                    required property var modelData
                    required property int index
                    objectName: "behaviorMode-" + modelData.title
                    width: (grid.width - grid.columnSpacing) / 2
                    height: 46
                    cornerRadius: 13
                    hoverScale: 1.018
                    animationDuration: 0.16
                    highlightLength: 36
                    borderWidth: 1.1
                    Accessible.role: Accessible.RadioButton
                    Accessible.name: modelData.title
                    Accessible.checked: modelData.selected

                    Rectangle {
                        anchors.fill: parent
                        radius: 13
                        color: Qt.rgba(1, 1, 1, cell.modelData.selected ? 0.12 : 0.04)
                        border.width: cell.modelData.selected ? 1 : 0
                        border.color: Qt.rgba(1, 1, 1, 0.22)
                    }
                    Column {
                        anchors.centerIn: parent
                        width: parent.width - 8
                        spacing: 4
                        SymbolIcon {
                            anchors.horizontalCenter: parent.horizontalCenter
                            name: cell.modelData.symbol
                            pointSize: 12
                            color: Qt.rgba(1, 1, 1, cell.modelData.selected ? 1 : 0.46)
                        }
                        Text {
                            width: parent.width
                            horizontalAlignment: Text.AlignHCenter
                            text: cell.modelData.title
                            color: Qt.rgba(1, 1, 1, cell.modelData.selected ? 0.92 : 0.46)
                            font.pixelSize: 10
                            font.weight: Font.DemiBold
                            fontSizeMode: Text.HorizontalFit
                            minimumPixelSize: 8
                            elide: Text.ElideRight
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: card.chosen(cell.index)
                    }
                }
            }
        }
    }
}
