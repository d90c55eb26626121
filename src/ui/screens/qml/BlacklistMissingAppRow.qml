import QtQuick

// A stored blacklist key whose app is not installed on this Mac; a click removes the key.
HoverScale {
    id: row
    property string key: ""
    property string title: ""
    signal remove()

    readonly property string helpText: "Click to remove from blacklist"
    readonly property bool hovered: rowHover.isHovering
    readonly property string secondLine: hovered ? "Click to remove from blacklist" : "Not installed on this Mac"
    // For a row made under the pointer at rest (scene coordinates; null when the pointer is
    // elsewhere): it shows its resting look until the pointer moves.
    function restUnder(at) { rowHover.rest(at) }

    readonly property color purple: Qt.rgba(0.75, 0.35, 0.95, 1)
    readonly property color red: Qt.rgba(1, 0.27, 0.23, 1)

    height: 52
    cornerRadius: 22
    hoverScale: 1.003
    animationDuration: 0.16
    highlightLength: 76
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: helpText

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
        color: row.hovered ? Qt.rgba(row.red.r, row.red.g, row.red.b, 0.22)
                              : Qt.rgba(row.purple.r, row.purple.g, row.purple.b, 0.22)
        border.width: 1
        border.color: row.hovered ? Qt.rgba(row.red.r, row.red.g, row.red.b, 0.65)
                                     : Qt.rgba(row.purple.r, row.purple.g, row.purple.b, 0.52)
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutCubic } }
        Behavior on border.color { ColorAnimation { duration: 120; easing.type: Easing.OutCubic } }
    }
    Item {
        id: symbol
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        width: 28
        height: 28
        SymbolIcon {
            anchors.centerIn: parent
            name: "exclamationmark.triangle.fill"
            pointSize: 18
            color: Qt.rgba(row.purple.r, row.purple.g, row.purple.b, 0.85)
        }
    }
    Column {
        anchors.left: symbol.right
        anchors.leftMargin: 10
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            width: parent.width
            text: row.title
            color: Qt.rgba(1, 1, 1, 0.9)
            font.pixelSize: 13
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            text: row.secondLine
            color: Qt.rgba(row.purple.r, row.purple.g, row.purple.b, 0.78)
            font.pixelSize: 10
            elide: Text.ElideRight
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: row.remove()
    }
    HelpTip { text: row.helpText }
}
