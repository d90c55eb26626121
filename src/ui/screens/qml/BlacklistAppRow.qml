import QtQuick

// One installed app of the blacklist screen; its tint, outline and second line follow
// whether it is blacklisted and whether the pointer is over it. A click toggles it.
HoverScale {
    id: row
    property string name: ""
    property string folder: ""
    property var icon: ({})
    property bool isBlacklisted: false
    signal toggle()

    readonly property string helpText: isBlacklisted ? "Click to remove from blacklist" : "Click to blacklist"
    // For a row made under the pointer at rest (scene coordinates; null when the pointer is
    // elsewhere): it shows its resting look until the pointer moves.
    function restUnder(at) { rowHover.rest(at) }

    readonly property color green: Qt.rgba(0.19, 0.82, 0.35, 1)
    readonly property color red: Qt.rgba(1, 0.27, 0.23, 1)
    readonly property bool hovered: rowHover.isHovering
    readonly property string secondLine: isBlacklisted ? (hovered ? "Click to remove from blacklist" : "Blacklisted")
                                                       : (hovered ? "Click to blacklist" : folder)
    readonly property color secondLineColour: isBlacklisted ? (hovered ? Qt.rgba(red.r, red.g, red.b, 0.85)
                                                                        : Qt.rgba(green.r, green.g, green.b, 0.72))
                                                            : (hovered ? Qt.rgba(green.r, green.g, green.b, 0.72)
                                                                       : Qt.rgba(1, 1, 1, 0.46))
    readonly property color fill: isBlacklisted ? (hovered ? Qt.rgba(red.r, red.g, red.b, 0.24)
                                                           : Qt.rgba(green.r, green.g, green.b, 0.28))
                                                : (hovered ? Qt.rgba(green.r, green.g, green.b, 0.16)
                                                           : Qt.rgba(1, 1, 1, 0.04))
    readonly property color outline: isBlacklisted ? (hovered ? Qt.rgba(red.r, red.g, red.b, 0.72)
                                                              : Qt.rgba(green.r, green.g, green.b, 0.68))
                                                   : (hovered ? Qt.rgba(green.r, green.g, green.b, 0.68)
                                                              : Qt.rgba(1, 1, 1, 0.10))

    height: 52
    cornerRadius: 22
    hoverScale: 1.003
    animationDuration: 0.16
    highlightLength: 76
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.description: helpText

    // A toggle shows the new state's resting look until the pointer moves in again.
    onIsBlacklistedChanged: rowHover.rest(rowHover.hovered ? rowHover.point.scenePosition : null)
    RowHover {
        id: rowHover
    }

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 22
    }
    Rectangle {
        anchors.fill: parent
        radius: 22
        color: row.fill
        border.width: 1
        border.color: row.outline
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutCubic } }
        Behavior on border.color { ColorAnimation { duration: 120; easing.type: Easing.OutCubic } }
    }
    AppIconView {
        id: appIcon
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        size: 28
        cornerRadius: 6
        icon: row.icon
    }
    Column {
        anchors.left: appIcon.right
        anchors.leftMargin: 10
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            width: parent.width
            text: row.name
            color: Qt.rgba(1, 1, 1, 0.9)
            font.pixelSize: 13
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            text: row.secondLine
            color: row.secondLineColour
            font.pixelSize: 10
            elide: Text.ElideMiddle
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: row.toggle()
    }
    HelpTip { text: row.helpText }
}
