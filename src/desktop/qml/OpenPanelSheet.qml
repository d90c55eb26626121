import QtQuick
import Nimbrel.App
import Nimbrel.Quick

// The simulated Mac's open panel (a DesktopOpenPanel as `model`): a window with the sidebar's
// places, the rows of the folder shown, Cancel and the prompt button. While it is up it is
// modal: the whole item takes every click and the keys, so nothing beneath it can be used;
// Return or Enter presses the prompt button (when it can be pressed), Escape cancels.
ModalLayer {
    id: sheet
    property QtObject model: null
    // Where the panel's window stands in the item: centred on `panelCenterX`, its top at `panelTop`.
    property real panelCenterX: width / 2
    property real panelTop: Math.max(0, (height - chooser.height) / 3)

    visible: model?.active ?? false
    Keys.onReturnPressed: sheet.model.confirm()
    Keys.onEnterPressed: sheet.model.confirm()
    Keys.onEscapePressed: sheet.model.cancel()

    Item {
        id: chooser
        objectName: "openPanel"
        x: sheet.panelCenterX - width / 2
        y: sheet.panelTop
        width: 640
        height: 420

        EffectLoader {
            anchors.fill: parent
            anchors.topMargin: 10
            Component.onCompleted: setSource(softShadow, {
                glowRadius: 30,
                spread: 0.05,
                cornerRadius: 42,
                color: Qt.rgba(0, 0, 0, 0.55)
            })
        }
        Rectangle {
            anchors.fill: parent
            radius: 12
            clip: true
            color: "#232327"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.14)

            Text {
                id: title
                objectName: "openPanelTitle"
                y: 11
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: sheet.model?.title ?? ""
                color: Qt.rgba(1, 1, 1, 0.85)
                font.pixelSize: 13
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }

            Rectangle {
                id: sidebar
                y: 36
                width: 168
                height: parent.height - 36 - footer.height
                color: Qt.rgba(1, 1, 1, 0.04)
                Column {
                    x: 8
                    y: 8
                    width: parent.width - 16
                    spacing: 2
                    Text {
                        leftPadding: 8
                        bottomPadding: 4
                        text: "Favorites"
                        color: Qt.rgba(1, 1, 1, 0.45)
                        font.pixelSize: 11
                        font.weight: Font.DemiBold
                    }
                    Repeater {
                        model: sheet.model?.places ?? []
                        delegate: Rectangle {
                            required property var modelData
                            objectName: "openPanelPlace_" + modelData.name
                            width: parent.width
                            height: 26
                            radius: 6
                            color: modelData.current ? Qt.rgba(1, 1, 1, 0.12) : "transparent"
                            Row {
                                x: 8
                                anchors.verticalCenter: parent.verticalCenter
                                spacing: 7
                                SymbolIcon {
                                    anchors.verticalCenter: parent.verticalCenter
                                    name: modelData.symbol
                                    pointSize: 12
                                    color: "#4DA3FF"
                                }
                                Text {
                                    anchors.verticalCenter: parent.verticalCenter
                                    width: sidebar.width - 16 - 8 - 12 - 7 - 8
                                    text: modelData.name
                                    color: Qt.rgba(1, 1, 1, 0.88)
                                    font.pixelSize: 13
                                    elide: Text.ElideRight
                                }
                            }
                            MouseArea {
                                anchors.fill: parent
                                onClicked: sheet.model.goTo(modelData.path)
                            }
                        }
                    }
                }
            }

            Item {
                id: toolbar
                x: sidebar.width
                y: 36
                width: parent.width - sidebar.width
                height: 40
                Rectangle {
                    id: upButton
                    objectName: "openPanelUp"
                    x: 12
                    anchors.verticalCenter: parent.verticalCenter
                    width: 28
                    height: 24
                    radius: 6
                    color: Qt.rgba(1, 1, 1, upArea.containsMouse && enabled ? 0.12 : 0.06)
                    enabled: sheet.model?.canGoUp ?? false
                    opacity: enabled ? 1 : 0.4
                    SymbolIcon {
                        anchors.centerIn: parent
                        name: "chevron.left"
                        pointSize: 11
                        color: Qt.rgba(1, 1, 1, 0.85)
                    }
                    MouseArea {
                        id: upArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: sheet.model.goUp()
                    }
                }
                Text {
                    objectName: "openPanelFolder"
                    anchors.left: upButton.right
                    anchors.leftMargin: 12
                    anchors.right: parent.right
                    anchors.rightMargin: 12
                    anchors.verticalCenter: parent.verticalCenter
                    text: sheet.model?.folderName ?? ""
                    color: "white"
                    font.pixelSize: 14
                    font.weight: Font.Bold
                    elide: Text.ElideMiddle
                }
            }

            Text {
                id: message
                visible: text.length > 0
                x: toolbar.x + 12
                y: toolbar.y + toolbar.height
                width: toolbar.width - 24
                text: sheet.model?.message ?? ""
                color: Qt.rgba(1, 1, 1, 0.6)
                font.pixelSize: 12
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }

            ListView {
                id: rows
                objectName: "openPanelRows"
                x: toolbar.x + 8
                y: toolbar.y + toolbar.height + (message.visible ? message.height + 6 : 0)
                width: toolbar.width - 16
                height: sidebar.y + sidebar.height - y - 4
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                model: sheet.model?.items ?? []
                delegate: Rectangle {
                    id: row
                    required property var modelData
                    readonly property bool selected: modelData.path === (sheet.model?.selectedPath ?? "")
                    objectName: "openPanelItem_" + modelData.name
                    width: ListView.view.width
                    height: 26
                    radius: 6
                    color: selected ? "#2F6FDB" : "transparent"
                    opacity: modelData.enabled ? 1 : 0.4
                    Row {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 8
                        SymbolIcon {
                            anchors.verticalCenter: parent.verticalCenter
                            name: row.modelData.isFolder ? "folder.fill" : "doc.text.fill"
                            pointSize: 13
                            color: row.selected ? "white" : (row.modelData.isFolder ? "#4DA3FF" : Qt.rgba(1, 1, 1, 0.7))
                        }
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            width: row.width - 16 - 13 - 8 - 16
                            text: row.modelData.name
                            color: "white"
                            font.pixelSize: 13
                            elide: Text.ElideMiddle
                        }
                    }
                    SymbolIcon {
                        visible: row.modelData.isFolder
                        anchors.right: parent.right
                        anchors.rightMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        name: "chevron.right"
                        pointSize: 9
                        color: Qt.rgba(1, 1, 1, row.selected ? 0.9 : 0.4)
                    }
                    MouseArea {
                        anchors.fill: parent
                        enabled: row.modelData.enabled
                        onClicked: sheet.model.select(row.modelData.path)
                        onDoubleClicked: sheet.model.open(row.modelData.path)
                    }
                }
            }

            Rectangle {
                id: footer
                anchors.bottom: parent.bottom
                width: parent.width
                height: 52
                color: Qt.rgba(1, 1, 1, 0.03)
                Rectangle {
                    width: parent.width
                    height: 1
                    color: Qt.rgba(1, 1, 1, 0.08)
                }
                Row {
                    anchors.right: parent.right
                    anchors.rightMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 10
                    Repeater {
                        model: [
                            { name: "openPanelCancel", title: "Cancel", primary: false },
                            { name: "openPanelConfirm", title: sheet.model?.prompt ?? "", primary: true }
                        ]
                        delegate: Rectangle {
                            id: button
                            required property var modelData
                            objectName: modelData.name
                            enabled: !modelData.primary || (sheet.model?.canConfirm ?? false)
                            width: Math.max(84, label.implicitWidth + 28)
                            height: 28
                            radius: 7
                            color: modelData.primary ? (enabled ? "#2F6FDB" : Qt.rgba(1, 1, 1, 0.08))
                                                     : Qt.rgba(1, 1, 1, area.pressed ? 0.2 : 0.12)
                            Text {
                                id: label
                                anchors.centerIn: parent
                                text: button.modelData.title
                                color: Qt.rgba(1, 1, 1, button.enabled ? 0.95 : 0.4)
                                font.pixelSize: 13
                                font.weight: Font.Medium
                            }
                            MouseArea {
                                id: area
                                anchors.fill: parent
                                onClicked: button.modelData.primary ? sheet.model.confirm() : sheet.model.cancel()
                            }
                        }
                    }
                }
            }
        }
    }
}
