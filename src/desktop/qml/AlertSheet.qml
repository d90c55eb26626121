import QtQuick
import Nimbrel.App
import Nimbrel.Quick

// The simulated Mac's modal alert (a DesktopAlert as `model`): the style's icon, the message,
// the informative text and the buttons, the first the default (blue, and Return's; Escape presses
// "Cancel" where there is one). Two buttons that fit stand side by side with the default on the
// right, others are stacked with the default on top. While it is up it is modal: the whole item
// takes every click and the keys, so nothing beneath it can be used.
ModalLayer {
    id: sheet
    property QtObject model: null
    // Where the alert stands in the item: centred on `alertCenterX`, its top at `alertTop`.
    property real alertCenterX: width / 2
    property real alertTop: Math.max(0, (height - card.height) / 3)

    readonly property var buttons: model?.buttons ?? []
    readonly property real buttonsWidth: card.width - 32
    readonly property bool sideBySide: {
        if (buttons.length !== 2) return false
        let widest = 0
        for (const title of buttons) widest = Math.max(widest, metrics.advanceWidth(title))
        return widest + 24 <= (buttonsWidth - 8) / 2
    }

    visible: model?.active ?? false
    Keys.onReturnPressed: sheet.model.answer(0)
    Keys.onEnterPressed: sheet.model.answer(0)
    Keys.onEscapePressed: sheet.model.cancel()

    FontMetrics {
        id: metrics
        font.pixelSize: 13
        font.weight: Font.Medium
    }

    Item {
        id: card
        objectName: "alert"
        x: sheet.alertCenterX - width / 2
        y: sheet.alertTop
        width: 280
        height: content.height + 40

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
            radius: 14
            color: "#2A2A2E"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.14)
        }

        Column {
            id: content
            x: 16
            y: 20
            width: sheet.buttonsWidth
            spacing: 10

            SymbolIcon {
                objectName: "alertIcon"
                anchors.horizontalCenter: parent.horizontalCenter
                name: sheet.model?.style === "informational" ? "info.circle.fill" : "exclamationmark.triangle.fill"
                color: sheet.model?.style === "informational" ? "#4DA3FF"
                                                              : sheet.model?.style === "critical" ? "#FF453A" : "#FFCC00"
                pointSize: 48
            }
            Text {
                objectName: "alertMessage"
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: sheet.model?.messageText ?? ""
                color: "white"
                font.pixelSize: 13
                font.weight: Font.Bold
                wrapMode: Text.Wrap
            }
            Text {
                objectName: "alertInformative"
                visible: text.length > 0
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: sheet.model?.informativeText ?? ""
                color: Qt.rgba(1, 1, 1, 0.85)
                font.pixelSize: 11
                wrapMode: Text.Wrap
                lineHeight: 1.15
            }
            Item {
                width: 1
                height: 4
            }
            Grid {
                columns: sheet.sideBySide ? 2 : 1
                layoutDirection: sheet.sideBySide ? Qt.RightToLeft : Qt.LeftToRight
                spacing: 8
                Repeater {
                    model: sheet.buttons
                    delegate: Rectangle {
                        id: button
                        required property int index
                        required property string modelData
                        readonly property bool isDefault: index === 0
                        objectName: "alertButton_" + index
                        width: sheet.sideBySide ? (sheet.buttonsWidth - 8) / 2 : sheet.buttonsWidth
                        height: 28
                        radius: 7
                        color: isDefault ? (area.pressed ? "#2760C0" : "#2F6FDB")
                                         : Qt.rgba(1, 1, 1, area.pressed ? 0.22 : 0.14)
                        Text {
                            anchors.centerIn: parent
                            width: parent.width - 16
                            horizontalAlignment: Text.AlignHCenter
                            text: button.modelData
                            color: "white"
                            font: metrics.font
                            elide: Text.ElideRight
                        }
                        MouseArea {
                            id: area
                            anchors.fill: parent
                            onClicked: sheet.model.answer(button.index)
                        }
                    }
                }
            }
        }
    }
}
