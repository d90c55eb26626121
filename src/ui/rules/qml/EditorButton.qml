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
        // Kept clear of the rounded ends: a title too long for the button shrinks a little.
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, button.width - button.radius - 12.5 - 6)
            text: button.title
            color: button.foreground
            font.pixelSize: 13
            font.weight: Font.DemiBold
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 10
            elide: Text.ElideRight
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
