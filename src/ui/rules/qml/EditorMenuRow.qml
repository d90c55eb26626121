import QtQuick

// A labelled choice from a list: the title on the left and, on the right, a pill with the
// current value that opens the menu of `items`. Choosing reports the item's index.
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
        anchors.left: parent.left
        anchors.leftMargin: 14
        anchors.right: pill.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        text: row.title
        color: Qt.rgba(1, 1, 1, 0.72)
        font.pixelSize: 13
        font.weight: Font.DemiBold
        elide: Text.ElideRight
    }
    EditorRowSurface {
        id: pill
        objectName: "menuValue"
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        height: 34
        width: Math.min(220, valueRow.implicitWidth + 24)
        radius: 17
        outlineOpacity: 0.14
        highlightLength: 42
        Row {
            id: valueRow
            anchors.centerIn: parent
            width: Math.min(implicitWidth, pill.width - 24)
            spacing: 8
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, 220 - 24 - 8 - 9)
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
        items: row.items
        onChosen: index => row.chosen(index)
    }
}
