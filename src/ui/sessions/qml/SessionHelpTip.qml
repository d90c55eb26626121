import QtQuick

// A help text that appears under the pointer after it rests on the parent for a moment.
Item {
    id: tip
    property string text: ""
    anchors.fill: parent

    HoverHandler { id: hover }
    PopoverHost { id: popovers }
    Timer {
        id: delay
        interval: 700
        running: hover.hovered && tip.text.length > 0
        onTriggered: {
            const root = popovers.layerFor(tip)
            const area = popovers.areaOf(root)
            const at = tip.mapToItem(root, hover.point.position.x, tip.height + 6)
            bubble.parent = root
            bubble.x = Math.max(area.x + 4, Math.min(at.x - bubble.width / 2, area.x + area.width - bubble.width - 4))
            bubble.y = Math.min(at.y, area.y + area.height - bubble.height - 4)
            bubble.visible = true
        }
    }
    Connections {
        target: hover
        function onHoveredChanged() { if (!hover.hovered) bubble.visible = false }
    }
    Rectangle {
        id: bubble
        visible: false
        z: 10000
        width: label.implicitWidth + 16
        height: label.implicitHeight + 8
        radius: 6
        color: Qt.rgba(0.12, 0.12, 0.14, 0.94)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
        Text {
            id: label
            anchors.centerIn: parent
            text: tip.text
            textFormat: Text.PlainText
            color: Qt.rgba(1, 1, 1, 0.9)
            font.pixelSize: 11
        }
    }
    Accessible.description: tip.text
}
