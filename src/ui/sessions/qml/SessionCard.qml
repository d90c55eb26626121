import QtQuick

// One session in the list: name, status badge, the four action buttons, the schedule, the
// strip of its Dock apps and a warning about apps this Mac does not have.
HoverScale {
    id: cardView
    property var card: ({})
    signal toggleRequested()
    signal pinRequested()
    signal editRequested()
    signal deleteRequested()

    readonly property bool hasMissingApps: card?.hasMissingApps ?? false
    readonly property var stripApps: card?.stripApps ?? []

    height: column.implicitHeight + 28
    cornerRadius: 22
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 64

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 22
    }
    Rectangle {
        visible: cardView.hasMissingApps
        anchors.fill: parent
        radius: 22
        color: Qt.rgba(0.75, 0.35, 0.95, 0.07)
    }

    Column {
        id: column
        x: 14
        y: 14
        width: cardView.width - 28
        spacing: 14

        Item {
            id: topRow
            width: parent.width
            height: Math.max(titleColumn.implicitHeight, actions.height)
            Column {
                id: titleColumn
                anchors.left: parent.left
                anchors.right: actions.left
                anchors.rightMargin: 4
                spacing: 5
                Text {
                    width: parent.width
                    height: 28
                    verticalAlignment: Text.AlignVCenter
                    text: cardView.card?.name ?? ""
                    textFormat: Text.PlainText
                    color: Qt.rgba(1, 1, 1, 0.95)
                    font.pixelSize: 14
                    font.weight: Font.Bold
                    elide: Text.ElideRight
                }
                Rectangle {
                    objectName: "statusBadge"
                    width: badgeRow.implicitWidth + 18
                    height: 24
                    radius: 12
                    color: cardView.card?.statusFill ?? "transparent"
                    border.width: 0.5
                    border.color: cardView.card?.statusStroke ?? "transparent"
                    Row {
                        id: badgeRow
                        anchors.centerIn: parent
                        spacing: 5
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 6
                            height: 6
                            radius: 3
                            color: cardView.card?.statusDot ?? "transparent"
                        }
                        Text {
                            objectName: "statusText"
                            anchors.verticalCenter: parent.verticalCenter
                            text: cardView.card?.statusText ?? ""
                            color: Qt.rgba(1, 1, 1, 0.88)
                            font.pixelSize: 11
                            font.weight: Font.DemiBold
                        }
                    }
                }
            }
            Row {
                id: actions
                anchors.right: parent.right
                anchors.top: parent.top
                spacing: 6
                SessionActionCircleButton {
                    objectName: "toggleButton"
                    systemImage: cardView.card?.powerSymbol ?? "power"
                    tint: cardView.card?.powerTint ?? "white"
                    accessibilityLabel: "Enable or disable"
                    onClicked: cardView.toggleRequested()
                }
                SessionActionCircleButton {
                    objectName: "pinButton"
                    systemImage: cardView.card?.pinSymbol ?? "pin"
                    tint: cardView.card?.pinTint ?? "white"
                    accessibilityLabel: "Pin"
                    onClicked: cardView.pinRequested()
                }
                SessionActionCircleButton {
                    objectName: "editButton"
                    systemImage: "pencil"
                    tint: "white"
                    accessibilityLabel: "Edit"
                    onClicked: cardView.editRequested()
                }
                SessionActionCircleButton {
                    objectName: "deleteButton"
                    systemImage: "trash"
                    tint: "#FF453A"
                    accessibilityLabel: "Delete"
                    onClicked: cardView.deleteRequested()
                }
            }
        }

        Item {
            width: parent.width
            height: summary.implicitHeight - 8
            Text {
                id: summary
                objectName: "scheduleSummary"
                y: -8
                width: parent.width
                text: cardView.card?.scheduleSummary ?? ""
                textFormat: Text.PlainText
                color: Qt.rgba(1, 1, 1, 0.42)
                font.pixelSize: 11
                font.weight: Font.Medium
                elide: Text.ElideRight
            }
        }

        Text {
            objectName: "stripPlaceholder"
            visible: (cardView.card?.placeholderText ?? "").length > 0
            text: cardView.card?.placeholderText ?? ""
            color: Qt.rgba(1, 1, 1, 0.45)
            font.pixelSize: 12
            font.weight: Font.Medium
        }

        HorizontalWheelScrollView {
            objectName: "appStrip"
            visible: cardView.stripApps.length > 0
            width: parent.width
            stripHeight: 46
            helpText: "Scroll up or down to move through session apps"
            Row {
                leftPadding: 2
                rightPadding: 2
                topPadding: 3
                bottomPadding: 3
                spacing: 7
                Repeater {
                    model: cardView.stripApps
                    HoverScale {
                        required property var modelData
                        objectName: "stripApp"
                        width: 38
                        height: 38
                        cornerRadius: 19
                        hoverScale: 1.025
                        animationDuration: 0.16
                        highlightLength: 30
                        GlassSurface {
                            anchors.fill: parent
                            cornerRadius: 19
                            SessionAppIconView {
                                anchors.centerIn: parent
                                size: 28
                                icon: modelData.icon
                            }
                        }
                    }
                }
                GlassSurface {
                    objectName: "stripOverflow"
                    visible: (cardView.card?.overflowText ?? "").length > 0
                    width: 38
                    height: 38
                    cornerRadius: 19
                    Text {
                        anchors.centerIn: parent
                        text: cardView.card?.overflowText ?? ""
                        color: Qt.rgba(1, 1, 1, 0.76)
                        font.pixelSize: 11
                        font.weight: Font.Bold
                    }
                }
            }
        }

        Rectangle {
            objectName: "missingWarning"
            visible: cardView.hasMissingApps
            width: parent.width
            height: warningRow.implicitHeight + 14
            radius: 10
            color: Qt.rgba(0.75, 0.35, 0.95, 0.14)
            border.width: 1
            border.color: Qt.rgba(0.75, 0.35, 0.95, 0.3)
            Row {
                id: warningRow
                x: 10
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 20
                spacing: 6
                SymbolIcon {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "exclamationmark.triangle.fill"
                    pointSize: 10
                    color: Qt.rgba(0.75, 0.35, 0.95, 0.9)
                }
                Text {
                    width: parent.width - 16
                    anchors.verticalCenter: parent.verticalCenter
                    text: cardView.card?.missingWarning ?? ""
                    textFormat: Text.PlainText
                    color: Qt.rgba(0.75, 0.35, 0.95, 0.85)
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    wrapMode: Text.WordWrap
                }
            }
        }
    }
}
