import QtQuick

// A pop-up menu of plain text items, opened under (or over) the control that asks for it. It
// lies in the panel's layer for popovers, so it scales with the panel, may reach past it and
// blurs what is behind it as the pause menu does; a screen shown on its own keeps it inside the
// screen. Items are texts, or {"title"} maps; a {"divider": true} item draws a line. A click
// outside closes it; while it is open the wheel moves nothing, so the control it was opened for
// stays beside it.
Item {
    id: menu
    property var items: []
    property real minimumWidth: 160
    readonly property bool isOpen: visible
    // Where it lies: the panel's popover layer (see NimbrelPanel), else the screen's root.
    property Item host: null
    signal chosen(int index)

    visible: false
    z: 10000

    function titleOf(item) { return typeof item === "string" ? item : (item?.title ?? "") }
    function isDivider(item) { return typeof item === "object" && item !== null && item.divider === true }

    PopoverHost { id: popovers }

    function open(anchorItem) {
        if (!anchorItem)
            return
        menu.host = popovers.layerFor(anchorItem)
        const root = menu.host
        parent = root
        width = root.width
        height = root.height
        const area = popovers.areaOf(root)
        const below = anchorItem.mapToItem(root, 0, anchorItem.height + 6)
        const w = Math.max(menu.minimumWidth, anchorItem.width)
        panel.width = Math.min(w, area.width - 16)
        panel.x = Math.max(area.x + 8, Math.min(below.x + anchorItem.width - panel.width, area.x + area.width - panel.width - 8))
        const fitsBelow = below.y + panel.height <= area.y + area.height - 8
        panel.y = fitsBelow ? below.y : Math.max(area.y + 8, below.y - anchorItem.height - 12 - panel.height)
        visible = true
    }
    function close() { visible = false }

    // A click anywhere else closes it: over the panel and, past it, over the popover area.
    MouseArea {
        readonly property rect area: popovers.areaOf(menu.host)
        x: area.x
        y: area.y
        width: area.width
        height: area.height
        acceptedButtons: Qt.AllButtons
        onPressed: menu.close()
        onWheel: wheel => wheel.accepted = true
    }
    Item {
        id: panel
        height: column.implicitHeight + 12
        PopoverGlass {
            anchors.fill: parent
            cornerRadius: 12
            surface: menu.host?.surface ?? null
            surfaceOrigin: Qt.point(menu.x + panel.x, menu.y + panel.y)
            backdrop: menu.host?.backdrop ?? null
            backdropOrigin: menu.host?.backdropOrigin ? Qt.point(menu.host.backdropOrigin.x + menu.x + panel.x,
                                                                 menu.host.backdropOrigin.y + menu.y + panel.y)
                                                       : Qt.point(0, 0)
        }
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
