import QtQuick
import Nimbrel.Screens

// A control's help text: a small label beside the control (its parent, which the tip covers)
// once the pointer has rested on it for a moment. It goes when the pointer leaves the control
// or the control moves or goes out of sight (HelpTipTracker). It is drawn in the panel's layer
// for popovers (PopoverHost), so no scrolling list clips it and it scales with the panel.
Item {
    id: tip
    property string text: ""
    anchors.fill: parent
    Accessible.description: tip.text

    HoverHandler { id: hover }
    PopoverHost { id: popovers }
    HelpTipTracker {
        id: tracker
        item: tip
        layer: popovers.layerFor(tip)
        hovering: hover.hovered
        enabled: tip.text.length > 0
        tipSize: Qt.size(label.width, label.height)
    }

    Rectangle {
        id: label
        objectName: "helpTip"
        parent: tracker.layer
        visible: tracker.shown
        x: tracker.position.x
        y: tracker.position.y
        z: 1000
        width: caption.implicitWidth + 14
        height: caption.implicitHeight + 8
        radius: 5
        color: Qt.rgba(0.16, 0.16, 0.18, 0.97)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.16)
        Text {
            id: caption
            anchors.centerIn: parent
            text: tip.text
            textFormat: Text.PlainText
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 11
        }
    }
}
