import QtQuick

// One installed app in the picker: its icon, name and a second line that says what a click
// does; green when chosen or about to be, red when a click takes the choice back.
HoverScale {
    id: row
    // {id, displayName, bundleIdentifier, path, isSelected} from the view model.
    property var app: ({})
    property QtObject picker: null
    readonly property bool selected: app?.isSelected ?? false
    readonly property bool pointerInside: hover.hovered
    readonly property var look: picker ? picker.rowLook(selected, pointerInside, app?.bundleIdentifier ?? "")
                                       : ({ "tone": "white", "subtitle": "" })
    readonly property color toneColor: look.tone === "red" ? Qt.rgba(1, 0.27, 0.23, 1)
                                       : look.tone === "green" ? Qt.rgba(0.19, 0.82, 0.35, 1) : Qt.rgba(1, 1, 1, 1)
    function toned(red, green, white) {
        const o = look.tone === "red" ? red : look.tone === "green" ? green : white
        return Qt.rgba(toneColor.r, toneColor.g, toneColor.b, o)
    }

    height: 58
    cornerRadius: 20
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 54

    HoverHandler { id: hover }
    // The tone's fill lies on the glass, not under it.
    GlassSurface {
        anchors.fill: parent
        cornerRadius: 20
        Rectangle {
            anchors.fill: parent
            radius: 20
            color: row.toned(0.22, 0.2, 0.035)
            Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: 20
        color: "transparent"
        border.width: 1
        border.color: row.toned(0.72, 0.5, 0.1)
        Behavior on border.color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
    }
    AppIconView {
        id: icon
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        icon: row.picker ? row.picker.rowIcon(row.app?.path ?? "") : ({})
        size: 36
        cornerRadius: 10
        outlined: true
    }
    Column {
        anchors.left: icon.right
        anchors.leftMargin: 12
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3
        Text {
            width: parent.width
            text: row.app?.displayName ?? ""
            color: Qt.rgba(1, 1, 1, 0.94)
            font.pixelSize: 14
            font.weight: Font.Bold
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Text {
            width: parent.width
            text: row.look.subtitle
            color: row.toned(0.85, 0.72, 0.5)
            font.pixelSize: 11
            font.weight: Font.Medium
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: row.selected ? row.picker.removeSelectedApp(row.app.bundleIdentifier)
                                : row.picker.selectApp(row.app.bundleIdentifier)
    }
}
