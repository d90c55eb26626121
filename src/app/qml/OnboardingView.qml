import QtQuick

// The onboarding: why Nimbrel needs the Accessibility permission, a switch that asks for it,
// System Settings as the fallback, and the way on once it is granted.
Item {
    id: onboarding
    required property QtObject model
    width: 360
    height: 500

    property bool hasAppeared: false
    Component.onCompleted: {
        onboarding.model.appeared()
        onboarding.hasAppeared = true
    }
    Component.onDestruction: onboarding.model.disappeared()

    Column {
        anchors.fill: parent
        anchors.margins: 22
        spacing: 18

        Item {
            width: parent.width
            height: 38
            opacity: onboarding.hasAppeared ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 420; easing.type: Easing.OutCubic } }
            transform: Translate {
                y: onboarding.hasAppeared ? 0 : -10
                Behavior on y { NumberAnimation { duration: 420; easing.type: Easing.OutCubic } }
            }
            HoverScale {
                id: heartTile
                width: 38
                height: 38
                cornerRadius: 19
                hoverScale: 1.025
                animationDuration: 0.16
                highlightLength: 32
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 19
                    SymbolIcon {
                        anchors.centerIn: parent
                        name: "heart.fill"
                        pointSize: 16
                        color: Qt.rgba(1, 1, 1, 0.92)
                    }
                }
            }
            Column {
                anchors.left: heartTile.right
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    text: "Nimbrel Setup"
                    color: "white"
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                }
                Text {
                    text: "Accessibility permission required."
                    color: Qt.rgba(1, 1, 1, 0.64)
                    font.pixelSize: 11
                }
            }
            GlassCircleButton {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                systemImage: "xmark"
                accessibilityLabel: "Quit Nimbrel"
                size: 32
                symbolSize: 11
                symbolWeight: Font.Bold
                onClicked: onboarding.model.quit()
            }
        }

        Column {
            width: parent.width
            spacing: 16

            Item {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 112
                height: 112
                scale: onboarding.hasAppeared ? 1 : 0.86
                opacity: onboarding.hasAppeared ? 1 : 0
                Behavior on scale { SequentialAnimation { PauseAnimation { duration: 60 } NumberAnimation { duration: 480; easing.type: Easing.OutBack } } }
                Behavior on opacity { SequentialAnimation { PauseAnimation { duration: 60 } NumberAnimation { duration: 480 } } }
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 56
                    Rectangle {
                        anchors.fill: parent
                        radius: 56
                        color: Qt.rgba(1, 1, 1, 0.035)
                    }
                    SymbolIcon {
                        anchors.centerIn: parent
                        name: onboarding.model.systemImage
                        pointSize: 44
                        color: Qt.rgba(1, 1, 1, 0.92)
                    }
                }
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: onboarding.model.title
                color: "white"
                font.pixelSize: 22
                font.weight: Font.Bold
                opacity: onboarding.hasAppeared ? 1 : 0
                Behavior on opacity { SequentialAnimation { PauseAnimation { duration: 120 } NumberAnimation { duration: 420; easing.type: Easing.OutCubic } } }
                transform: Translate {
                    y: onboarding.hasAppeared ? 0 : 8
                    Behavior on y { SequentialAnimation { PauseAnimation { duration: 120 } NumberAnimation { duration: 420; easing.type: Easing.OutCubic } } }
                }
            }
            HoverScale {
                width: parent.width
                height: instructionsRow.implicitHeight + 28
                opacity: onboarding.hasAppeared ? 1 : 0
                Behavior on opacity { SequentialAnimation { PauseAnimation { duration: 180 } NumberAnimation { duration: 420; easing.type: Easing.OutCubic } } }
                transform: Translate {
                    y: onboarding.hasAppeared ? 0 : 10
                    Behavior on y { SequentialAnimation { PauseAnimation { duration: 180 } NumberAnimation { duration: 420; easing.type: Easing.OutCubic } } }
                }
                cornerRadius: 18
                hoverScale: 1.006
                animationDuration: 0.16
                highlightLength: 72
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 18
                    Row {
                        id: instructionsRow
                        x: 14
                        y: 14
                        width: parent.width - 28
                        spacing: 10
                        SymbolIcon {
                            y: 2
                            name: "info.circle.fill"
                            pointSize: 13
                            color: Qt.rgba(1, 1, 1, 0.74)
                        }
                        Text {
                            width: parent.width - 23
                            wrapMode: Text.WordWrap
                            lineHeight: 1.15
                            text: onboarding.model.instructions
                            color: Qt.rgba(1, 1, 1, 0.66)
                            font.pixelSize: 11
                        }
                    }
                }
            }
        }

        Column {
            width: parent.width
            spacing: 10
            opacity: onboarding.hasAppeared ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 420; easing.type: Easing.OutCubic } }
            transform: Translate {
                y: onboarding.hasAppeared ? 0 : 10
                Behavior on y { NumberAnimation { duration: 420; easing.type: Easing.OutCubic } }
            }
            HoverScale {
                width: parent.width
                height: 58
                cornerRadius: 18
                hoverScale: 1.002
                animationDuration: 0.16
                highlightLength: 52
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 18
                    SymbolIcon {
                        id: shield
                        x: 14
                        anchors.verticalCenter: parent.verticalCenter
                        name: onboarding.model.accessibilityGranted ? "checkmark.shield.fill" : "shield.fill"
                        pointSize: 16
                        color: onboarding.model.accessibilityGranted ? "#30D158" : Qt.rgba(1, 1, 1, 0.72)
                    }
                    Column {
                        anchors.left: shield.right
                        anchors.leftMargin: 12
                        anchors.right: toggle.left
                        anchors.rightMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 2
                        Text {
                            text: "Accessibility Permission"
                            color: Qt.rgba(1, 1, 1, 0.9)
                            font.pixelSize: 13
                            font.weight: Font.DemiBold
                        }
                        Text {
                            width: parent.width
                            elide: Text.ElideRight
                            text: onboarding.model.statusLine
                            color: onboarding.model.accessibilityGranted ? Qt.rgba(0.19, 0.82, 0.35, 0.82)
                                                                         : Qt.rgba(1, 1, 1, 0.5)
                            font.pixelSize: 10
                            font.weight: Font.Medium
                        }
                    }
                    ToggleSwitch {
                        id: toggle
                        anchors.right: parent.right
                        anchors.rightMargin: 14
                        anchors.verticalCenter: parent.verticalCenter
                        checked: onboarding.model.accessibilityGranted
                        enabled: onboarding.model.switchEnabled
                        onToggled: on => onboarding.model.requestAccessibility(on)
                    }
                }
            }
            GlassPillButton {
                id: footerPill
                // The pill changes from "Open Settings Instead" to "Continue to Nimbrel" by
                // growing in from slightly smaller as it fades in.
                readonly property bool granted: onboarding.model.accessibilityGranted
                onGrantedChanged: swapIn.restart()
                // A transform, so the hover's own scale keeps working.
                transform: Scale {
                    id: swapScale
                    origin.x: footerPill.width / 2
                    origin.y: footerPill.height / 2
                }
                ParallelAnimation {
                    id: swapIn
                    NumberAnimation { target: swapScale; properties: "xScale,yScale"; from: 0.96; to: 1; duration: 280; easing.type: Easing.OutCubic }
                    NumberAnimation { target: footerPill; property: "opacity"; from: 0; to: 1; duration: 280 }
                }
                isFullWidth: true
                height: 44
                horizontalPadding: 16
                symbolSize: 13
                font: Qt.font({ pixelSize: 14, weight: Font.DemiBold })
                title: onboarding.model.footerTitle
                systemImage: onboarding.model.footerSymbol
                onClicked: onboarding.model.footerAction()
            }
        }
    }
}
