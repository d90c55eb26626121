import QtQuick

// The first thing a new user sees: why Nimbrel needs the Accessibility permission, and the
// way to System Settings to grant it.
Item {
    id: onboarding
    signal openSettings()

    Column {
        anchors.fill: parent
        anchors.margins: 24
        spacing: 18

        HoverScale {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 76
            height: 76
            cornerRadius: 19
            hoverScale: 1.025
            animationDuration: 0.16
            highlightLength: 32
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 19
                SymbolIcon {
                    anchors.centerIn: parent
                    name: "checkmark.shield.fill"
                    pointSize: 34
                    color: "#64D2FF"
                }
            }
        }
        Column {
            width: parent.width
            spacing: 6
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: "Welcome to Nimbrel"
                color: "white"
                font.pixelSize: 22
                font.weight: Font.Bold
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: "Nimbrel needs the Accessibility permission to notice clicks on the Dock and to minimize and restore windows."
                color: Qt.rgba(1, 1, 1, 0.66)
                font.pixelSize: 13
            }
        }
        HoverScale {
            width: parent.width
            height: 132
            cornerRadius: 18
            hoverScale: 1.006
            animationDuration: 0.16
            highlightLength: 72
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 18
                Column {
                    anchors.fill: parent
                    anchors.margins: 16
                    spacing: 10
                    Repeater {
                        model: ["Open System Settings", "Go to Privacy & Security \u203A Accessibility",
                                "Switch Nimbrel on"]
                        delegate: Row {
                            required property string modelData
                            required property int index
                            spacing: 10
                            Rectangle {
                                width: 22
                                height: 22
                                radius: 11
                                color: Qt.rgba(0.39, 0.82, 1, 0.22)
                                Text {
                                    anchors.centerIn: parent
                                    text: index + 1
                                    color: "#64D2FF"
                                    font.pixelSize: 12
                                    font.weight: Font.Bold
                                }
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: modelData
                                color: Qt.rgba(1, 1, 1, 0.86)
                                font.pixelSize: 13
                            }
                        }
                    }
                }
            }
        }
        GlassPillButton {
            isFullWidth: true
            title: "Open System Settings"
            systemImage: "gearshape.fill"
            height: 40
            onClicked: onboarding.openSettings()
        }
    }
}
