import QtQuick

// A row of the editor's app pickers (the Dock apps and the whitelist): the app's icon, its
// name and a subtitle that tells what a click does. `app` carries the row's two looks, with
// the pointer over it and without.
HoverScale {
    id: row
    property var app: ({})
    property real iconSize: 30
    property real rowHeight: 48
    property real radius: 18
    property real nameSize: 12.5
    property real subtitleSize: 10.5
    property real nameOpacity: 0.88
    default property alias trailing: trailingHolder.data
    signal clicked()

    readonly property bool hovering: hover.hovered
    readonly property var look: (hovering ? app?.hoverLook : app?.look) ?? ({})

    height: rowHeight
    cornerRadius: radius
    hoverScale: 1.006
    animationDuration: 0.16
    highlightLength: 42
    Accessible.role: Accessible.Button
    Accessible.name: app?.name ?? ""

    HoverHandler { id: hover }
    // The glass lies behind the state's tint and outline.
    GlassSurface {
        anchors.fill: parent
        cornerRadius: row.radius
    }
    Rectangle {
        anchors.fill: parent
        radius: row.radius
        color: row.look.fill ?? "transparent"
        border.width: 1
        border.color: row.look.outline ?? "transparent"
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: row.clicked()
    }
    Row {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        spacing: 10
        SessionAppIconView {
            anchors.verticalCenter: parent.verticalCenter
            size: row.iconSize
            icon: row.app?.icon ?? ({})
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - row.iconSize - 20 - trailingHolder.width
            spacing: 2
            Text {
                width: parent.width
                text: row.app?.name ?? ""
                textFormat: Text.PlainText
                color: Qt.rgba(1, 1, 1, row.nameOpacity)
                font.pixelSize: row.nameSize
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            // What a click does: on one line, a little smaller where the row is narrow, rather
            // than cut.
            Text {
                objectName: "rowSubtitle"
                width: parent.width
                text: row.look.subtitle ?? ""
                textFormat: Text.PlainText
                color: row.look.subtitleColor ?? "white"
                font.pixelSize: row.subtitleSize
                font.weight: Font.Medium
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: Math.floor(row.subtitleSize * 0.8)
                elide: Text.ElideRight
            }
        }
        Item {
            id: trailingHolder
            anchors.verticalCenter: parent.verticalCenter
            width: childrenRect.width
            height: childrenRect.height
            z: 20
        }
    }
}
