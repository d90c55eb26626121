import QtQuick

// The account picture in a circle with the edit badge; a click chooses a new picture.
HoverScale {
    id: button
    // A prepared circular picture; empty shows the account symbol.
    property string source: ""
    signal clicked()

    width: 46
    height: 46
    cornerRadius: 23
    hoverScale: 1.035
    animationDuration: 0.16
    highlightLength: 34
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: "Choose account image"

    Rectangle {
        // The whole button's soft shadow.
        anchors.fill: parent
        anchors.topMargin: 4
        anchors.bottomMargin: -4
        radius: width / 2
        color: Qt.rgba(0, 0, 0, 0.18)
    }
    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: Qt.rgba(0.2, 0.21, 0.25, 1)
        visible: button.source.length === 0
    }
    Image {
        anchors.fill: parent
        visible: button.source.length > 0
        source: button.source
        sourceSize: Qt.size(92, 92)
        smooth: true
    }
    SymbolIcon {
        anchors.fill: parent
        visible: button.source.length === 0
        name: "person.crop.circle.fill"
        pointSize: 46
        color: Qt.rgba(1, 1, 1, 0.75)
    }
    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
    Rectangle {
        // The edit badge, just past the bottom trailing corner.
        width: 15
        height: 15
        radius: 7.5
        x: parent.width - width + 2
        y: parent.height - height + 2
        color: Qt.rgba(0.19, 0.82, 0.35, 0.9)
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.28)
        SymbolIcon {
            anchors.centerIn: parent
            name: "pencil"
            pointSize: 8
            color: Qt.rgba(1, 1, 1, 0.92)
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
