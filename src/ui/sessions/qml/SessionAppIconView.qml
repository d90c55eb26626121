import QtQuick

// One session app's icon at `size`: the app's own icon tile, or the generic "app" symbol
// when this Mac has no file for it.
Item {
    id: view
    property var icon: ({})
    property real size: 28
    readonly property bool generic: icon?.generic ?? true

    width: size
    height: size

    AppIconView {
        visible: !view.generic
        anchors.fill: parent
        size: view.size
        icon: view.icon
    }
    SymbolIcon {
        visible: view.generic
        anchors.centerIn: parent
        name: "app"
        pointSize: view.size * 0.46
        color: Qt.rgba(1, 1, 1, 0.78)
    }
}
