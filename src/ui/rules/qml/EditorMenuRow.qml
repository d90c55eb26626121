import QtQuick

// A labelled choice from a list: the title on the left and, on the right, a pill with the
// current value that opens the menu of `items`. Choosing reports the item's index. The title
// keeps its own width; the pill takes what is left, at most 220, and a long value ends in an
// ellipsis.
EditorRowSurface {
    id: row
    property string title: ""
    property string value: ""
    property var items: []
    signal chosen(int index)

    height: 44
    radius: 18
    outlineOpacity: 0.12
    highlightLength: 48

    Text {
        id: titleText
        anchors.left: parent.left
        anchors.leftMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        text: row.title
        color: Qt.rgba(1, 1, 1, 0.72)
        font.pixelSize: 13
        font.weight: Font.DemiBold
    }
    EditorRowSurface {
        id: pill
        objectName: "menuValue"
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        height: 34
        // The value, the spacing and the chevron, padded 12 on each side.
        readonly property real chrome: 8 + 9 + 24
        width: Math.min(220, valueText.implicitWidth + chrome, row.width - 14 - titleText.implicitWidth - 12 - 14)
        radius: 17
        outlineOpacity: 0.14
        highlightLength: 42
        Row {
            id: valueRow
            anchors.centerIn: parent
            spacing: 8
            Text {
                id: valueText
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, pill.width - pill.chrome)
                text: row.value
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 13
                font.weight: Font.Bold
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "chevron.down"
                pointSize: 9
                color: Qt.rgba(1, 1, 1, 0.58)
            }
        }
        MouseArea {
            anchors.fill: parent
            onClicked: menu.open(pill)
        }
    }
    ChoiceMenu {
        id: menu
        objectName: "choiceMenu"
        items: row.items
        onChosen: index => row.chosen(index)
    }
}
