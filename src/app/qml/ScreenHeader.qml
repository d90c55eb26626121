import QtQuick

// A screen's title row with the round back button.
Item {
    id: header
    property string title: ""
    signal back()
    height: 44

    GlassCircleButton {
        id: backButton
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        systemImage: "arrow.left"
        accessibilityLabel: "Back"
        size: 32
        symbolSize: 14
        onClicked: header.back()
    }
    Text {
        anchors.left: backButton.right
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        text: header.title
        color: Qt.rgba(1, 1, 1, 0.95)
        font.pixelSize: 19
        font.weight: Font.Bold
    }
}
