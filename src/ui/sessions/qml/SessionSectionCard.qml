import QtQuick

// One section card of the session editor: its views stacked on glass.
HoverScale {
    id: card
    property real inset: 14
    property real spacing: 12
    default property alias content: column.data

    width: parent ? parent.width : 0
    height: column.implicitHeight + inset * 2
    cornerRadius: 22
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 68

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 22
    }
    Column {
        id: column
        x: card.inset
        y: card.inset
        width: card.width - card.inset * 2
        spacing: card.spacing
    }
}
