import QtQuick
import Nimbrel.Screens

// The blacklist screen: the apps the Dock tap behaviour leaves to the Dock. A search narrows
// both sections, "All" switches every app shown, and stored keys of apps no longer installed
// stand apart at the top.
Item {
    id: screen
    required property QtObject model
    width: 360
    height: 500

    Component.onCompleted: screen.model.appeared()

    // Where the pointer rests, for the rows a click makes under it.
    HoverHandler {
        id: pointer
    }
    function pointerAtRest() {
        return pointer.hovered ? pointer.point.scenePosition : null
    }

    Column {
        id: column
        x: 18
        y: 18
        width: parent.width - 36
        height: parent.height - 36
        spacing: 16

        Item {
            id: header
            width: parent.width
            height: 42
            GlassCircleButton {
                id: backButton
                objectName: "blacklistBack"
                anchors.verticalCenter: parent.verticalCenter
                systemImage: "arrow.left"
                accessibilityLabel: "Back to Main Window"
                size: 42
                symbolSize: 14
                symbolWeight: Font.Bold
                onClicked: screen.model.goBack()
            }
            Column {
                anchors.left: backButton.right
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    text: "Blacklist"
                    color: "white"
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                }
                Text {
                    text: "Apps Nimbrel should ignore"
                    color: Qt.rgba(1, 1, 1, 0.66)
                    font.pixelSize: 11
                }
            }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: 7
                ToggleSwitch {
                    objectName: "blacklistAll"
                    anchors.verticalCenter: parent.verticalCenter
                    checked: screen.model.allOn
                    onToggled: on => screen.model.setAll(on)
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: "All"
                    color: Qt.rgba(1, 1, 1, 0.58)
                    font.pixelSize: 11
                    font.weight: Font.Bold
                }
            }
        }

        HoverScale {
            id: searchField
            width: parent.width
            height: 40
            cornerRadius: 20
            hoverScale: 1.004
            animationDuration: 0.16
            highlightLength: 70
            borderWidth: 1.1
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 20
            }
            SymbolIcon {
                id: magnifier
                x: 14
                anchors.verticalCenter: parent.verticalCenter
                name: "magnifyingglass"
                pointSize: 13
                color: Qt.rgba(1, 1, 1, 0.55)
            }
            TextInput {
                id: search
                objectName: "blacklistSearch"
                FocusWhileShown.enabled: true
                anchors.left: magnifier.right
                anchors.leftMargin: 9
                anchors.right: clear.visible ? clear.left : parent.right
                anchors.rightMargin: clear.visible ? 9 : 14
                anchors.verticalCenter: parent.verticalCenter
                color: Qt.rgba(1, 1, 1, 0.92)
                selectionColor: Qt.rgba(0.04, 0.52, 1, 0.6)
                font.pixelSize: 13
                clip: true
                text: screen.model.searchText
                onTextEdited: screen.model.searchText = text
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    visible: search.text.length === 0
                    text: "Search installed apps"
                    color: Qt.rgba(1, 1, 1, 0.38)
                    font: search.font
                }
                Connections {
                    target: screen.model
                    function onChanged() {
                        if (search.text !== screen.model.searchText)
                            search.text = screen.model.searchText
                    }
                }
            }
            Item {
                id: clear
                objectName: "blacklistClearSearch"
                visible: screen.model.showsClearButton
                anchors.right: parent.right
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                width: 20
                height: 20
                SymbolIcon {
                    anchors.centerIn: parent
                    name: "xmark.circle.fill"
                    pointSize: 12
                    color: Qt.rgba(1, 1, 1, 0.52)
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: screen.model.clearSearch()
                }
            }
        }

        Item {
            width: parent.width
            height: column.height - header.height - searchField.height - 2 * column.spacing

            ListView {
                id: list
                objectName: "blacklistList"
                DirectWheelScroll.enabled: true
                anchors.fill: parent
                clip: true
                spacing: 10
                topMargin: 2
                bottomMargin: 2
                boundsBehavior: Flickable.StopAtBounds
                model: screen.model.rows
                header: Item {
                    width: list.width
                    height: screen.model.showsLoadingCard ? 56 : 0
                    visible: screen.model.showsLoadingCard
                    GlassSurface {
                        width: parent.width
                        height: 46
                        cornerRadius: 18
                        Row {
                            x: 14
                            anchors.verticalCenter: parent.verticalCenter
                            spacing: 10
                            SymbolIcon {
                                anchors.verticalCenter: parent.verticalCenter
                                name: "arrow.triangle.2.circlepath"
                                pointSize: 12
                                color: Qt.rgba(1, 1, 1, 0.66)
                                RotationAnimation on rotation {
                                    running: screen.model.showsLoadingCard
                                    from: 0
                                    to: 360
                                    duration: 1000
                                    loops: Animation.Infinite
                                }
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: "Loading installed apps\u2026"
                                color: Qt.rgba(1, 1, 1, 0.66)
                                font.pixelSize: 11
                                font.weight: Font.Medium
                            }
                        }
                    }
                }
                // Rows that come in above all the others (a new section) come into sight when the
                // list showed its start, as the app just blacklisted then does; elsewhere the list
                // keeps the rows it shows where they are. The list takes the rows in first.
                Connections {
                    target: list.model
                    function onRowsAboutToBeInserted(parent, first) {
                        if (first === 0 && list.atYBeginning)
                            Qt.callLater(list.positionViewAtBeginning)
                    }
                }
                delegate: Loader {
                    required property var model
                    readonly property var row: model
                    width: list.width
                    sourceComponent: row.kind === "header" ? sectionHeader
                                   : row.kind === "spacer" ? spacer
                                   : row.kind === "missing" ? missingRow
                                   : appRow
                }
            }

            GlassSurface {
                objectName: "blacklistEmpty"
                visible: screen.model.showsEmptyState
                anchors.centerIn: parent
                width: emptyColumn.implicitWidth + 44
                height: emptyColumn.implicitHeight + 44
                cornerRadius: 22
                Column {
                    id: emptyColumn
                    anchors.centerIn: parent
                    spacing: 10
                    SymbolIcon {
                        anchors.horizontalCenter: parent.horizontalCenter
                        name: "app.dashed"
                        pointSize: 28
                        color: Qt.rgba(1, 1, 1, 0.58)
                    }
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: "No apps found"
                        color: Qt.rgba(1, 1, 1, 0.82)
                        font.pixelSize: 14
                        font.weight: Font.Bold
                    }
                    Text {
                        width: 200
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.WordWrap
                        text: "Try a different search or reload the Applications folder."
                        color: Qt.rgba(1, 1, 1, 0.55)
                        font.pixelSize: 11
                    }
                }
            }
        }
    }

    // The list's rows read their values from the Loader that holds them; while the list is
    // rebuilt a Loader may already have let go of its row.
    Component {
        id: sectionHeader
        Item {
            readonly property var entry: parent && parent.row ? parent.row : null
            height: 18
            Text {
                x: 4
                y: 2
                text: parent.entry ? parent.entry.title : ""
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 11
                font.weight: Font.DemiBold
            }
        }
    }
    Component {
        id: spacer
        Item { height: 6 }
    }
    Component {
        id: missingRow
        BlacklistMissingAppRow {
            readonly property var entry: parent && parent.row ? parent.row : null
            objectName: "missing-" + key
            key: entry ? entry.key : ""
            title: entry ? entry.title : ""
            onRemove: screen.model.removeMissingKey(key)
            Component.onCompleted: restUnder(screen.pointerAtRest())
        }
    }
    Component {
        id: appRow
        BlacklistAppRow {
            readonly property var entry: parent && parent.row ? parent.row : null
            readonly property string appId: entry ? entry.appId : ""
            objectName: entry ? entry.rowId : ""
            name: entry ? entry.title : ""
            folder: entry ? entry.folder : ""
            icon: entry ? entry.icon : ({})
            isBlacklisted: entry ? entry.isBlacklisted : false
            onToggle: screen.model.toggleApp(appId)
            Component.onCompleted: restUnder(screen.pointerAtRest())
        }
    }
}
