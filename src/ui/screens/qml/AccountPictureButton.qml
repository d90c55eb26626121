import QtQuick

// The account picture in a circle with the edit badge; a click chooses a new picture.
HoverScale {
    id: button
    // A prepared circular picture; empty shows the account symbol.
    property string source: ""
    readonly property string helpText: "Choose account image"
    signal clicked()

    width: 46
    height: 46
    cornerRadius: 23
    hoverScale: 1.035
    animationDuration: 0.16
    highlightLength: 34
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: helpText

    EffectLoader {
        // The whole button's soft shadow, 4 points down.
        anchors.fill: parent
        anchors.topMargin: 4
        anchors.bottomMargin: -4
        Component.onCompleted: setSource(softShadow, {
            glowRadius: 8,
            spread: 0,
            cornerRadius: 23 + 8,
            color: Qt.rgba(0, 0, 0, 0.18)
        })
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
    Item {
        // The edit badge in the bottom trailing corner, moved 2 points right and down, with
        // its own small shadow 2 points down.
        width: 14
        height: 14
        x: parent.width - width + 2
        y: parent.height - height + 2
        EffectLoader {
            anchors.fill: parent
            anchors.topMargin: 2
            anchors.bottomMargin: -2
            Component.onCompleted: setSource(softShadow, {
                glowRadius: 4,
                spread: 0,
                cornerRadius: 7 + 4,
                color: Qt.rgba(0, 0, 0, 0.28)
            })
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Qt.rgba(0.19, 0.82, 0.35, 0.9)
            SymbolIcon {
                anchors.centerIn: parent
                name: "pencil"
                pointSize: 8
                color: Qt.rgba(1, 1, 1, 0.92)
            }
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: button.clicked()
    }
    HelpTip { text: button.helpText }
}
