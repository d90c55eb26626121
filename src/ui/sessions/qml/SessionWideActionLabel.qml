import QtQuick

// The wide glass button of the editor's cards: a symbol and a title across the full width.
HoverScale {
    id: button
    property string systemImage: ""
    property string title: ""
    signal clicked()

    width: parent ? parent.width : 0
    height: 36
    cornerRadius: 18
    hoverScale: 1.015
    animationDuration: 0.16
    highlightLength: 44
    Accessible.role: Accessible.Button
    Accessible.name: title

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 18
        Row {
            anchors.centerIn: parent
            spacing: 8
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: button.systemImage
                pointSize: 11
                color: Qt.rgba(1, 1, 1, 0.92)
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: button.title
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 12
                font.weight: Font.Bold
            }
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
