import QtQuick

// A pop-up menu of plain text items, opened under (or over) the control that asks for it and
// drawn above everything else in the window. Items are texts, or {"title"} maps; a
// {"divider": true} item draws a line. A click outside closes it.
Item {
    id: menu
    property var items: []
    property real minimumWidth: 160
    readonly property bool isOpen: visible
    signal chosen(int index)

    visible: false
    z: 10000

    function titleOf(item) { return typeof item === "string" ? item : (item?.title ?? "") }
    function isDivider(item) { return typeof item === "object" && item !== null && item.divider === true }

    function open(anchorItem) {
        const root = Window.contentItem
        if (!root || !anchorItem)
            return
        parent = root
        width = root.width
        height = root.height
        const below = anchorItem.mapToItem(root, 0, anchorItem.height + 6)
        const w = Math.max(menu.minimumWidth, anchorItem.width)
        panel.width = Math.min(w, root.width - 16)
        panel.x = Math.max(8, Math.min(below.x + anchorItem.width - panel.width, root.width - panel.width - 8))
        const fitsBelow = below.y + panel.height <= root.height - 8
        panel.y = fitsBelow ? below.y : Math.max(8, below.y - anchorItem.height - 12 - panel.height)
        visible = true
    }
    function close() { visible = false }

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        onPressed: menu.close()
    }
    Rectangle {
        id: panel
        height: column.implicitHeight + 12
        radius: 12
        color: Qt.rgba(0.13, 0.13, 0.16, 0.97)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
        MouseArea { anchors.fill: parent }
        Column {
            id: column
            x: 6
            y: 6
            width: parent.width - 12
            Repeater {
                model: menu.items
                delegate: Item {
                    id: row
                    required property var modelData
                    required property int index
                    readonly property bool divider: menu.isDivider(modelData)
                    objectName: "menuItem_" + index
                    width: column.width
                    height: divider ? 9 : 28
                    Rectangle {
                        visible: row.divider
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width
                        height: 1
                        color: Qt.rgba(1, 1, 1, 0.12)
                    }
                    Rectangle {
                        visible: !row.divider && area.containsMouse
                        anchors.fill: parent
                        radius: 7
                        color: Qt.rgba(0.25, 0.5, 1, 0.75)
                    }
                    Text {
                        visible: !row.divider
                        anchors.verticalCenter: parent.verticalCenter
                        x: 10
                        width: parent.width - 20
                        text: menu.titleOf(row.modelData)
                        color: Qt.rgba(1, 1, 1, 0.92)
                        font.pixelSize: 13
                        elide: Text.ElideRight
                    }
                    MouseArea {
                        id: area
                        anchors.fill: parent
                        enabled: !row.divider
                        hoverEnabled: true
                        onClicked: {
                            menu.close()
                            menu.chosen(row.index)
                        }
                    }
                }
            }
        }
    }
}
