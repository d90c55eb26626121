import QtQuick

// The panel's first screen: who is running, the way to every other screen, the global pause,
// the Accessibility settings and Quit.
Item {
    id: menu
    required property QtObject model
    property string rulesSubtitle: ""
    property string sessionsSubtitle: ""
    // The panel's layer for popovers (see NimbrelPanel); without one the pause menu stays
    // inside this screen.
    property Item popupLayer: null
    width: 360
    height: 500

    Component.onCompleted: menu.model.appeared()
    Component.onDestruction: menu.model.disappeared()

    Column {
        id: content
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
                onClicked: menu.model.postPanelNotification("Nimbrel.showSettings")
            }
        }

        Row {
            width: parent.width
            spacing: 10
            StatusPill {
                width: (parent.width - 10) / 2
                symbol: "circle.fill"
                symbolColor: menu.model.isPaused ? "#FFD60A" : "#30D158"
                text: menu.model.statusTitle
                Text {
                    visible: menu.model.isCloudSyncing
                    anchors.verticalCenter: parent.verticalCenter
                    text: "\u2022"
                    color: Qt.rgba(1, 1, 1, 0.45)
                    font.pixelSize: 11
                    font.weight: Font.ExtraBold
                }
                SymbolIcon {
                    visible: menu.model.isCloudSyncing
                    anchors.verticalCenter: parent.verticalCenter
                    name: "arrow.triangle.2.circlepath"
                    pointSize: 10.5
                    color: Qt.rgba(0.39, 0.82, 1, 0.86)
                    RotationAnimation on rotation {
                        running: menu.model.isCloudSyncing
                        from: 0
                        to: 360
                        duration: 1000
                        loops: Animation.Infinite
                    }
                }
                Text {
                    visible: menu.model.isCloudSyncing
                    anchors.verticalCenter: parent.verticalCenter
                    text: "Syncing"
                    color: Qt.rgba(0.39, 0.82, 1, 0.86)
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                }
            }
            StatusPill {
                width: (parent.width - 10) / 2
                symbol: menu.model.accessibilitySymbol
                symbolColor: menu.model.isAccessibilityTrusted ? "#64D2FF" : "#FF453A"
                text: menu.model.accessibilityTitle
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
                    { symbol: "nosign", title: "Blacklist", notice: "Nimbrel.showBlacklist" },
                    { symbol: "square.stack.3d.up", title: "Rules", notice: "Nimbrel.showRules" },
                    { symbol: "dock.rectangle", title: "Sessions", notice: "Nimbrel.showSessions" },
                    { symbol: "waveform.path.ecg", title: "Activity", notice: "Nimbrel.showActivity" }
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
                            x: 14
                            y: 14
                            width: 34
                            height: 34
                            cornerRadius: 17
                            SymbolIcon {
                                anchors.centerIn: parent
                                name: card.modelData.symbol
                                pointSize: 18
                                color: Qt.rgba(1, 1, 1, 0.9)
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
                                text: [menu.model.ignoredAppsSubtitle, menu.rulesSubtitle, menu.sessionsSubtitle,
                                       "Recent taps"][card.index]
                                color: Qt.rgba(1, 1, 1, 0.58)
                                font.pixelSize: 11
                            }
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: menu.model.postPanelNotification(card.modelData.notice)
                    }
                }
            }
        }

        HoverScale {
            id: pauseButton
            objectName: "pauseButton"
            width: parent.width
            height: 42
            cornerRadius: 21
            hoverScale: 1.006
            animationDuration: 0.16
            highlightLength: 70
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 21
                Rectangle {
                    anchors.fill: parent
                    radius: 21
                    visible: menu.model.isPaused
                    color: Qt.rgba(1, 0.84, 0.04, 0.26)
                }
                Row {
                    anchors.centerIn: parent
                    spacing: 8
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: menu.model.pauseButtonSymbol
                        pointSize: 13
                        color: Qt.rgba(1, 1, 1, 0.92)
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: menu.model.pauseButtonTitle
                        color: Qt.rgba(1, 1, 1, 0.92)
                        font.pixelSize: 14
                        font.weight: Font.DemiBold
                    }
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "chevron.down"
                        pointSize: 9
                        color: Qt.rgba(1, 1, 1, 0.62)
                    }
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: menu.model.togglePauseMenu()
            }
        }

        Row {
            width: parent.width
            spacing: 10
            GlassPillButton {
                width: (parent.width - 10) / 2
                height: 38
                title: "Permissions"
                systemImage: "accessibility"
                symbolSize: 12.5
                font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
                onClicked: menu.model.openPermissions()
            }
            HoverScale {
                width: (parent.width - 10) / 2
                height: 38
                cornerRadius: 19
                hoverScale: 1.006
                animationDuration: 0.16
                highlightLength: 64
                Rectangle {
                    anchors.fill: parent
                    radius: 19
                    color: Qt.rgba(1, 0.27, 0.23, 0.26)
                    border.width: 1
                    border.color: Qt.rgba(1, 0.27, 0.23, 0.28)
                }
                Row {
                    anchors.centerIn: parent
                    spacing: 7
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "power"
                        pointSize: 12.5
                        color: Qt.rgba(1, 1, 1, 0.95)
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: "Quit"
                        color: Qt.rgba(1, 1, 1, 0.95)
                        font.pixelSize: 13
                        font.weight: Font.DemiBold
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: menu.model.postPanelNotification("Nimbrel.quitRequested")
                }
            }
        }
    }

    // The pause popover, over the screen; a click beside it closes it.
    MouseArea {
        anchors.fill: parent
        visible: menu.model.showingPauseMenu
        onClicked: menu.model.togglePauseMenu()
    }
    PauseMenu {
        id: pauseMenu
        objectName: "pauseMenu"
        parent: menu.popupLayer ? menu.popupLayer : menu
        visible: menu.model.showingPauseMenu
        // Above the pause button if it fits, else below it, else cut short on the roomier
        // side; never over the button (placed by the view model).
        readonly property var place: {
            const open = menu.model.showingPauseMenu // placed afresh at each opening
            const b = pauseButton.mapToItem(parent, 0, 0)
            const area = menu.popupLayer ? menu.popupLayer.area : Qt.rect(0, 0, menu.width, menu.height)
            return menu.model.pauseMenuPlacement(Qt.rect(b.x, b.y, pauseButton.width, pauseButton.height),
                                                 Qt.size(width, naturalHeight), area)
        }
        x: place.x
        y: place.y
        height: place.height
        arrowOnTop: place.arrowOnTop
        arrowX: place.arrowX
        backdrop: menu.popupLayer ? menu.popupLayer.backdrop : null
        backdropOrigin: menu.popupLayer ? Qt.point(menu.popupLayer.backdropOrigin.x + x,
                                                   menu.popupLayer.backdropOrigin.y + y)
                                        : Qt.point(0, 0)
        surface: menu.popupLayer ? menu.popupLayer.surface : content
        surfaceOrigin: menu.popupLayer ? Qt.point(x, y) : Qt.point(x - content.x, y - content.y)
        rows: menu.model.pauseMenuRows
        onChosen: index => menu.model.choosePauseRow(index)
    }
}
