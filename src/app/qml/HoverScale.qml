import QtQuick
import Nimbrel.Models

// Grows its content slightly under the pointer, brightens a thin border and runs a soft
// light along the edge, centred where the pointer is.
Item {
    id: hover
    property real cornerRadius: 12
    property real hoverScale: 1.02
    property real animationDuration: 0.16
    property real highlightLength: 40
    property real borderWidth: 1.1
    default property alias content: holder.data

    readonly property bool isHovering: tracker.hovered
    readonly property point lightCentre: Hover.lightCentre(tracker.point.position.x, tracker.point.position.y,
                                                           width, height)

    scale: isHovering ? hoverScale : 1.0

    HoverHandler {
        id: tracker
    }
    Item {
        id: holder
        anchors.fill: parent
    }
    Rectangle {
        anchors.fill: parent
        radius: hover.cornerRadius
        color: "transparent"
        border.width: 0.7
        border.color: Qt.rgba(1, 1, 1, hover.isHovering ? 0.13 : 0.08)
        Behavior on border.color {
            ColorAnimation { duration: hover.animationDuration * 1000; easing.type: Easing.OutCubic }
        }
    }
    Canvas {
        id: light
        anchors.fill: parent
        opacity: hover.isHovering ? 1 : 0
        visible: opacity > 0
        renderStrategy: Canvas.Immediate
        Behavior on opacity {
            NumberAnimation { duration: hover.animationDuration * 1000; easing.type: Easing.OutCubic }
        }
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            const r = Hover.strokeRect(width, height, hover.borderWidth, hover.cornerRadius)
            const radius = Hover.strokeRadius(width, height, hover.borderWidth, hover.cornerRadius)
            const c = hover.lightCentre
            const g = ctx.createRadialGradient(c.x, c.y, 0, c.x, c.y, hover.highlightLength)
            g.addColorStop(0, Qt.rgba(1, 1, 1, 0.46))
            g.addColorStop(0.34, Qt.rgba(1, 1, 1, 0.20))
            g.addColorStop(1, Qt.rgba(1, 1, 1, 0))
            // A soft wide pass under a crisp one: the light's glow, then its edge.
            ctx.strokeStyle = g
            ctx.globalAlpha = 0.42
            ctx.lineWidth = hover.borderWidth * 2.6
            ctx.beginPath()
            ctx.roundedRect(r.x, r.y, r.width, r.height, radius, radius)
            ctx.stroke()
            ctx.globalAlpha = 1
            ctx.lineWidth = hover.borderWidth
            ctx.beginPath()
            ctx.roundedRect(r.x, r.y, r.width, r.height, radius, radius)
            ctx.stroke()
        }
        Connections {
            target: hover
            function onLightCentreChanged() { if (hover.isHovering) light.requestPaint() }
            function onIsHoveringChanged() { light.requestPaint() }
        }
    }
}
