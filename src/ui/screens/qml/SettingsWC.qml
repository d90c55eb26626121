import QtQuick
import Nimbrel.Screens

// The settings screen: the account, software updates and app preferences cards in one
// scrolling column under the title row.
Item {
    id: screen
    required property QtObject model
    width: 360
    height: 500

    Component.onCompleted: screen.model.appeared()

    Item {
        id: header
        x: 18
        y: 18
        width: parent.width - 36
        height: 40
        HoverScale {
            id: backButton
            objectName: "settingsBack"
            width: 34
            height: 34
            anchors.verticalCenter: parent.verticalCenter
            cornerRadius: 17
            hoverScale: 1.02
            animationDuration: 0.16
            highlightLength: 28
            borderWidth: 1.1
            Accessible.role: Accessible.Button
            Accessible.name: "Back"
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 17
                SymbolIcon {
                    anchors.centerIn: parent
                    name: "arrow.left"
                    pointSize: 14
                    color: Qt.rgba(1, 1, 1, 0.92)
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: screen.model.goBack()
            }
        }
        Column {
            anchors.left: backButton.right
            anchors.leftMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                text: "Settings"
                color: "white"
                font.pixelSize: 20
                font.weight: Font.DemiBold
            }
            Text {
                text: "Manage Nimbrel"
                color: Qt.rgba(1, 1, 1, 0.66)
                font.pixelSize: 11
            }
        }
    }

    Flickable {
        id: scroller
        objectName: "settingsScroll"
        DirectWheelScroll.enabled: true
        anchors.top: header.bottom
        anchors.topMargin: 14
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        contentWidth: width
        contentHeight: cards.implicitHeight + 18
        boundsBehavior: Flickable.StopAtBounds

        Column {
            id: cards
            x: 18
            width: scroller.width - 36
            spacing: 12

            CompactSettingsCard {
                width: parent.width
                title: "Account"
                subtitle: "Manage your account here"
                Row {
                    width: parent.width
                    spacing: 12
                    AccountPictureButton {
                        objectName: "accountPicture"
                        anchors.verticalCenter: parent.verticalCenter
                        source: screen.model.accountImageSource
                        onClicked: screen.model.chooseAccountImage()
                    }
                    Column {
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width - 58
                        spacing: 3
                        Text {
                            width: parent.width
                            text: screen.model.accountName
                            color: Qt.rgba(1, 1, 1, 0.92)
                            font.pixelSize: 15
                            font.weight: Font.Bold
                            elide: Text.ElideRight
                        }
                        Text {
                            width: parent.width
                            text: screen.model.iCloudStatusText
                            color: Qt.rgba(1, 1, 1, 0.52)
                            font.pixelSize: 11
                            font.weight: Font.DemiBold
                            elide: Text.ElideRight
                        }
                    }
                }
            }

            CompactSettingsCard {
                width: parent.width
                title: "Software Updates"
                subtitle: screen.model.versionSubtitle
                PreferenceTile {
                    objectName: "tile-automaticUpdates"
                    title: screen.model.automaticUpdatesTile.title
                    systemImage: screen.model.automaticUpdatesTile.symbol
                    isOn: screen.model.automaticUpdatesTile.isOn
                    onToggled: on => screen.model.setTile("automaticUpdates", on)
                }
                HoverScale {
                    width: parent.width
                    height: statusRow.implicitHeight + 20
                    cornerRadius: 18
                    hoverScale: 1.002
                    animationDuration: 0.16
                    highlightLength: 48
                    borderWidth: 1.1
                    Rectangle {
                        anchors.fill: parent
                        radius: 18
                        color: Qt.rgba(1, 1, 1, 0.035)
                    }
                    GlassSurface {
                        anchors.fill: parent
                        cornerRadius: 18
                    }
                    Row {
                        id: statusRow
                        x: 10
                        y: 10
                        width: parent.width - 20
                        spacing: 10
                        Rectangle {
                            width: 30
                            height: 30
                            radius: 15
                            color: Qt.rgba(0.19, 0.82, 0.35, 0.12)
                            SymbolIcon {
                                anchors.centerIn: parent
                                name: "checkmark.seal.fill"
                                pointSize: 20
                                color: Qt.rgba(0.19, 0.82, 0.35, 0.88)
                            }
                        }
                        Column {
                            width: parent.width - 40
                            spacing: 3
                            Text {
                                width: parent.width
                                text: "You are running the latest version available of Nimbrel."
                                color: Qt.rgba(1, 1, 1, 0.86)
                                font.pixelSize: 13
                                font.weight: Font.DemiBold
                                wrapMode: Text.WordWrap
                            }
                            Text {
                                objectName: "lastChecked"
                                text: screen.model.lastCheckedLine
                                color: Qt.rgba(1, 1, 1, 0.46)
                                font.pixelSize: 11
                                font.weight: Font.Medium
                            }
                        }
                    }
                }
                HoverScale {
                    objectName: "checkUpdates"
                    width: parent.width
                    height: 34
                    cornerRadius: 17
                    hoverScale: 1.006
                    animationDuration: 0.16
                    highlightLength: 58
                    borderWidth: 1.1
                    Accessible.role: Accessible.Button
                    Accessible.name: "Check Updates"
                    GlassSurface {
                        anchors.fill: parent
                        cornerRadius: 17
                        Row {
                            anchors.centerIn: parent
                            spacing: 7
                            SymbolIcon {
                                anchors.verticalCenter: parent.verticalCenter
                                name: "arrow.clockwise"
                                pointSize: 11
                                color: Qt.rgba(1, 1, 1, 0.9)
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: "Check Updates"
                                color: Qt.rgba(1, 1, 1, 0.9)
                                font.pixelSize: 12
                                font.weight: Font.DemiBold
                            }
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: screen.model.checkForUpdates()
                    }
                }
            }

            CompactSettingsCard {
                width: parent.width
                title: "App Preferences"
                subtitle: screen.model.preferencesSummary
                Repeater {
                    model: screen.model.preferenceTiles
                    delegate: PreferenceTile {
                        required property var modelData
                        objectName: "tile-" + modelData.key
                        title: modelData.title
                        systemImage: modelData.symbol
                        isOn: modelData.isOn
                        onToggled: on => screen.model.setTile(modelData.key, on)
                    }
                }
                BehaviorModeCard {
                    modes: screen.model.behaviorModes
                    onChosen: index => screen.model.chooseBehaviorMode(index)
                }
            }
        }
    }
}
