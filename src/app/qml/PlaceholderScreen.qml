import QtQuick

// A screen still to come: its title, a short note and the way back.
Item {
    id: screen
    property string title: ""
    property string systemImage: ""
    property string note: ""
    signal back()

    ScreenHeader {
        id: header
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 16
        title: screen.title
        onBack: screen.back()
    }
    GlassSurface {
        anchors.top: header.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 16
        height: 200
        cornerRadius: 18
        Column {
            anchors.centerIn: parent
            width: parent.width - 48
            spacing: 12
            SymbolIcon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: screen.systemImage
                pointSize: 34
                color: Qt.rgba(1, 1, 1, 0.75)
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: screen.note
                color: Qt.rgba(1, 1, 1, 0.62)
                font.pixelSize: 13
            }
        }
    }
}
