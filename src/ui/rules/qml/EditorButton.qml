import QtQuick

// A full-width button of the editor: a symbol before its title, centred, on the editor's row
// surface with its own corner radius and outline.
EditorRowSurface {
    id: button
    property string title: ""
    property string systemImage: ""
    property color foreground: Qt.rgba(1, 1, 1, 0.92)
    signal clicked()

    Accessible.role: Accessible.Button
    Accessible.name: title

    Row {
        anchors.centerIn: parent
        spacing: 6
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: button.systemImage
            pointSize: 12.5
            color: button.foreground
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: button.title
            color: button.foreground
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
