import QtQuick

// A control's help text: a small label under the control once the pointer has rested on it
// for a moment, gone as soon as the pointer leaves. It is drawn in the panel's layer for
// popovers (PopoverHost), so no scrolling list clips it and it scales with the panel.
Item {
    id: tip
    property string text: ""
    // Whether the pointer is over the control (the tip's parent).
    property bool hovering: false
    property bool shown: false

    property Item topLayer: null

    PopoverHost { id: popovers }
    onHoveringChanged: if (!hovering) shown = false
    onShownChanged: if (shown) topLayer = popovers.layerFor(tip)
    Timer {
        interval: 1000
        running: tip.hovering && !tip.shown && tip.text.length > 0
        onTriggered: tip.shown = true
    }

    Rectangle {
        id: label
        parent: tip.topLayer
        visible: tip.shown && tip.topLayer !== null
        z: 1000
        width: caption.implicitWidth + 14
        height: caption.implicitHeight + 8
        radius: 5
        color: Qt.rgba(0.16, 0.16, 0.18, 0.97)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.16)
        readonly property rect area: popovers.areaOf(tip.topLayer)
        x: {
            if (!visible || !tip.parent) return 0
            const below = tip.parent.mapToItem(tip.topLayer, tip.parent.width / 2, 0)
            return Math.max(area.x + 4, Math.min(below.x - width / 2, area.x + area.width - width - 4))
        }
        y: {
            if (!visible || !tip.parent) return 0
            const bottom = tip.parent.mapToItem(tip.topLayer, 0, tip.parent.height).y + 6
            // Above the control when there is no room below it.
            return bottom + height <= area.y + area.height ? bottom
                                                           : tip.parent.mapToItem(tip.topLayer, 0, 0).y - height - 6
        }
        Text {
            id: caption
            anchors.centerIn: parent
            text: tip.text
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 11
        }
    }
}
