import QtQuick

// One cell of the quick set and of the symbol library.
HoverScale {
    id: cell
    property var symbol: ({})
    readonly property bool isSelected: symbol?.isSelected ?? false
    signal clicked()

    height: 54
    cornerRadius: 18
    hoverScale: 1.012
    animationDuration: 0.16
    highlightLength: 38
    Accessible.role: Accessible.Button
    Accessible.name: symbol?.tooltip ?? ""

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 18
        // The glass lies behind the selection's tint and outline.
        Rectangle {
            anchors.fill: parent
            radius: 18
            color: cell.isSelected ? Qt.rgba(0.19, 0.82, 0.35, 0.24) : Qt.rgba(1, 1, 1, 0.04)
            border.width: 1
            border.color: cell.isSelected ? Qt.rgba(0.19, 0.82, 0.35, 0.72) : Qt.rgba(1, 1, 1, 0.1)
        }
        SessionSymbolPreview {
            anchors.centerIn: parent
            size: 42
            picture: cell.symbol?.picture ?? ({})
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: cell.clicked()
    }
    HelpTip { text: cell.symbol?.tooltip ?? "" }
}
