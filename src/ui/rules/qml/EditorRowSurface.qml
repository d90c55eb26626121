import QtQuick

// The surface of the editor's rows and pills: glass, a faint outline (none at opacity 0) and the
// hover light. Its children lie between the glass and the outline.
HoverScale {
    id: surface
    property real radius: 18
    property real outlineOpacity: 0.12

    cornerRadius: radius
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 48

    GlassSurface {
        anchors.fill: parent
        cornerRadius: surface.radius
    }
    Rectangle {
        z: 1
        visible: surface.outlineOpacity > 0
        anchors.fill: parent
        radius: surface.radius
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, surface.outlineOpacity)
    }
}
