import QtQuick

// The panel's first screen: who is running, and the way to every other screen.
Item {
    id: menu
    property string rulesSubtitle: ""
    property string sessionsSubtitle: ""
    property string ignoredAppsSubtitle: "Ignored apps"
    signal post(string name)

    Column {
        anchors.fill: parent
        anchors.margins: 18
        spacing: 15

        Item {
            width: parent.width
            height: 42
            HoverScale {
                id: appTile
                width: 42
                height: 42
                cornerRadius: 21
                hoverScale: 1.025
                animationDuration: 0.16
                highlightLength: 34
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 21
                    Image {
                        anchors.fill: parent
                        anchors.margins: 10
                        source: "image://symbol/asset/NIMBREL_MENU_BAR"
                        sourceSize: Qt.size(44, 44)
                        opacity: 0.92
                    }
                }
            }
            Column {
                anchors.left: appTile.right
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    text: "Nimbrel"
                    color: "white"
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                }
                Text {
                    text: "Developed by the Nimbrel team"
                    color: Qt.rgba(1, 1, 1, 0.66)
                    font.pixelSize: 11
                }
            }
            GlassCircleButton {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                systemImage: "gearshape.fill"
                accessibilityLabel: "Open Settings"
                size: 34
                symbolSize: 13
                symbolWeight: Font.Bold
                onClicked: menu.post("Nimbrel.showSettings")
            }
        }

        Grid {
            id: cards
            width: parent.width
            columns: 2
            spacing: 10
            readonly property real cardWidth: (width - spacing) / 2
            Repeater {
                model: [
                    { symbol: "nosign", title: "Blacklist", notice: "Nimbrel.showBlacklist", tint: "#FF6B6B" },
                    { symbol: "square.stack.3d.up", title: "Rules", notice: "Nimbrel.showRules", tint: "#5E9EFF" },
                    { symbol: "dock.rectangle", title: "Sessions", notice: "Nimbrel.showSessions", tint: "#B78CFF" },
                    { symbol: "waveform.path.ecg", title: "Activity", notice: "Nimbrel.showActivity", tint: "#4CD9A0" }
                ]
                delegate: HoverScale {
                    id: card
                    required property var modelData
                    required property int index
                    width: cards.cardWidth
                    height: 116
                    cornerRadius: 22
                    hoverScale: 1.012
                    animationDuration: 0.16
                    highlightLength: 76
                    Accessible.role: Accessible.Button
                    Accessible.name: modelData.title
                    GlassSurface {
                        anchors.fill: parent
                        cornerRadius: 22
                        GlassSurface {
                            id: cardTile
                            x: 14
                            y: 14
                            width: 34
                            height: 34
                            cornerRadius: 17
                            SymbolIcon {
                                anchors.centerIn: parent
                                name: card.modelData.symbol
                                pointSize: 17
                                color: card.modelData.tint
                            }
                        }
                        Column {
                            x: 14
                            anchors.bottom: parent.bottom
                            anchors.bottomMargin: 14
                            width: parent.width - 28
                            spacing: 3
                            Text {
                                text: card.modelData.title
                                color: Qt.rgba(1, 1, 1, 0.92)
                                font.pixelSize: 14
                                font.weight: Font.DemiBold
                            }
                            Text {
                                width: parent.width
                                elide: Text.ElideRight
                                text: [menu.ignoredAppsSubtitle, menu.rulesSubtitle, menu.sessionsSubtitle,
                                       "Recent taps"][card.index]
                                color: Qt.rgba(1, 1, 1, 0.58)
                                font.pixelSize: 11
                            }
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: menu.post(card.modelData.notice)
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: 1
        }

        GlassPillButton {
            isFullWidth: true
            title: "Quit"
            systemImage: "power"
            height: 38
            isDestructive: true
            onClicked: menu.post("Nimbrel.quitRequested")
        }
    }
}
